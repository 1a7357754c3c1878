// Where DISPLAY sends Tarvexel and what it presents there: the name's
// parts, the host's addresses (found in time however slow the resolver),
// and the cookie the authority file holds for the server reached.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/x11/authority.h"
#include "platform/x11/display_name.h"
#include "platform/x11/host_address.h"

namespace {

using x11::DisplayName;
using x11::parseDisplayName;

TEST(X11DisplayName, ReadsEachForm) {
  const struct {
    const char* name;
    std::string host;
    std::string socketPath;
    int number;
    int screen;
  } cases[] = {
      {":0", "", "", 0, 0},
      {":0.1", "", "", 0, 1},
      {":12.3", "", "", 12, 3},
      {"unix:3", "", "", 3, 0},
      {"unix/:4", "", "", 4, 0},
      {"unix/unix:5.1", "", "", 5, 1},
      {"host:1", "host", "", 1, 0},
      {"x.example.org:2.1", "x.example.org", "", 2, 1},
      {"192.0.2.7:10", "192.0.2.7", "", 10, 0},
      {"[::1]:2", "::1", "", 2, 0},
      {"[2001:db8::7]:0.2", "2001:db8::7", "", 0, 2},
      {"tcp/:6", "localhost", "", 6, 0},
      {"tcp/host:7", "host", "", 7, 0},
      {"/tmp/.X11-unix/X0:0", "", "/tmp/.X11-unix/X0", 0, 0},
      {"/private/tmp/com.apple.launchd.Ab12/org.xquartz:0", "",
       "/private/tmp/com.apple.launchd.Ab12/org.xquartz", 0, 0},
      {":999999", "", "", 999999, 0},
  };
  for (const auto& c : cases) {
    const std::optional<DisplayName> display = parseDisplayName(c.name);
    ASSERT_TRUE(display) << c.name;
    EXPECT_EQ(display->host, c.host) << c.name;
    EXPECT_EQ(display->socketPath, c.socketPath) << c.name;
    EXPECT_EQ(display->number, c.number) << c.name;
    EXPECT_EQ(display->screen, c.screen) << c.name;
  }
}

TEST(X11DisplayName, RefusesWhatNamesNoDisplayItCanReach) {
  const char* const refused[] = {
      "",            "0",          ":",          "host:",       ":x",       ":0.",
      ":0.x",        ":0.1.2",     ":-1",        ": 0",         ":0 ",      ":1234567",
      ":0.1234567",  "host::0",    "::0",        "decnet/h:0",  "inet/h:0", "unix/host:0",
      "/tmp/.X11-unix/X0",
  };
  for (const char* name : refused) EXPECT_FALSE(parseDisplayName(name)) << '"' << name << '"';
}

// The family, the address bytes and the port of an address found.
struct Found {
  int family;
  std::string address;
  int port;
};

std::vector<Found> described(const std::vector<x11::SocketAddress>& addresses) {
  std::vector<Found> found;
  for (const x11::SocketAddress& address : addresses) {
    char text[INET6_ADDRSTRLEN] = {};
    int port = 0;
    if (address.storage.ss_family == AF_INET) {
      const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address.storage);
      ::inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
      port = ntohs(v4->sin_port);
    } else if (address.storage.ss_family == AF_INET6) {
      const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address.storage);
      ::inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
      port = ntohs(v6->sin6_port);
    }
    found.push_back({address.storage.ss_family, text, port});
  }
  return found;
}

bool operator==(const Found& a, const Found& b) {
  return a.family == b.family && a.address == b.address && a.port == b.port;
}

std::ostream& operator<<(std::ostream& out, const Found& f) {
  return out << f.family << ' ' << f.address << ' ' << f.port;
}

std::atomic<int> resolverCalls{0};

// A name server that knows one name, answering at once.
int oneNameResolver(const char* host, const char* service, const addrinfo* hints,
                    addrinfo** found) {
  ++resolverCalls;
  if (std::string(host) != "x.example.org") return EAI_NONAME;
  addrinfo numeric = *hints;
  numeric.ai_flags |= AI_NUMERICHOST;
  return ::getaddrinfo("192.0.2.7", service, &numeric, found);
}

TEST(X11HostAddress, FindsNumericAddressesAndLocalhostWithoutTheResolver) {
  const auto end = x11::Clock::now() + std::chrono::seconds(10);
  const struct {
    const char* host;
    int port;
    std::vector<Found> found;
    int resolverCalls;
  } cases[] = {
      {"192.0.2.7", 6000, {{AF_INET, "192.0.2.7", 6000}}, 0},
      {"::1", 6002, {{AF_INET6, "::1", 6002}}, 0},
      {"2001:db8::7", 6010, {{AF_INET6, "2001:db8::7", 6010}}, 0},
      {"localhost", 6001, {{AF_INET6, "::1", 6001}, {AF_INET, "127.0.0.1", 6001}}, 0},
      {"LocalHost", 6001, {{AF_INET6, "::1", 6001}, {AF_INET, "127.0.0.1", 6001}}, 0},
      {"x.example.org", 6003, {{AF_INET, "192.0.2.7", 6003}}, 1},
      {"y.example.org", 6003, {}, 1},
  };
  for (const auto& c : cases) {
    resolverCalls = 0;
    EXPECT_EQ(described(x11::hostAddresses(c.host, c.port, end, oneNameResolver)), c.found)
        << c.host;
    EXPECT_EQ(resolverCalls, c.resolverCalls) << c.host;
  }
}

// A name server that answers only when the test lets it.
std::mutex gate;
std::condition_variable gateOpened;
bool gateOpen = false;

int silentResolver(const char*, const char*, const addrinfo*, addrinfo**) {
  std::unique_lock<std::mutex> lock(gate);
  gateOpened.wait(lock, [] { return gateOpen; });
  return EAI_AGAIN;
}

TEST(X11HostAddress, ASilentResolverCostsNoMoreThanTheDeadline) {
  // Were the name looked up on this thread, the call would never return.
  const auto end = x11::Clock::now() + std::chrono::milliseconds(50);
  EXPECT_TRUE(x11::hostAddresses("x.example.org", 6000, end, silentResolver).empty());
  EXPECT_GE(x11::Clock::now(), end);
  const std::lock_guard<std::mutex> lock(gate);
  gateOpen = true;
  gateOpened.notify_all();
}

// An authority file entry: the family in two bytes, then the address, the
// display number, the scheme and the cookie, each its length in two bytes
// and its bytes, all big-endian.
std::string field(const std::string& bytes) {
  return std::string{static_cast<char>(bytes.size() >> 8), static_cast<char>(bytes.size() & 0xff)} +
         bytes;
}

std::string entry(std::uint16_t family, const std::string& address, const std::string& number,
                  const std::string& cookie, const std::string& scheme = x11::kMagicCookie) {
  return std::string{static_cast<char>(family >> 8), static_cast<char>(family & 0xff)} +
         field(address) + field(number) + field(scheme) + field(cookie);
}

const std::string kV4(std::string("\xc0\x00\x02\x07", 4));  // 192.0.2.7

TEST(X11Authority, FindsTheCookieOfTheServerReached) {
  const x11::ServerAddress local{x11::kFamilyLocal, "box", 0};
  const x11::ServerAddress local1{x11::kFamilyLocal, "box", 1};
  const x11::ServerAddress local5{x11::kFamilyLocal, "box", 5};
  const x11::ServerAddress local7{x11::kFamilyLocal, "box", 7};
  const x11::ServerAddress elsewhere{x11::kFamilyLocal, "elsewhere", 0};
  const x11::ServerAddress remote{x11::kFamilyInternet, kV4, 2};
  const std::string boxFile = entry(x11::kFamilyLocal, "other", "0", "O") +
                              entry(x11::kFamilyLocal, "box", "1", "B1") +
                              entry(x11::kFamilyLocal, "box", "0", "XDM", "XDM-AUTHORIZATION-1") +
                              entry(x11::kFamilyLocal, "box", "0", "B0") +
                              entry(x11::kFamilyLocal, "box", "0", "later");
  const struct {
    const char* what;
    std::string file;
    const x11::ServerAddress& server;
    std::optional<std::string> cookie;
  } cases[] = {
      {"the first entry of host, number and scheme", boxFile, local, "B0"},
      {"another display number", boxFile, local1, "B1"},
      {"a display no entry names", boxFile, local7, std::nullopt},
      {"a host no entry names", boxFile, elsewhere, std::nullopt},
      {"no number in the entry: any display", entry(x11::kFamilyLocal, "box", "", "any"), local5,
       "any"},
      {"the wild family: any host", entry(x11::kFamilyWild, "", "", "wild"), remote, "wild"},
      {"an internet address, by its bytes",
       entry(x11::kFamilyLocal, "192.0.2.7", "2", "name") + entry(x11::kFamilyInternet, kV4, "2", "v4"),
       remote, "v4"},
      {"the same bytes in another family", entry(x11::kFamilyInternet6, kV4, "2", "v6"), remote,
       std::nullopt},
      {"display 12 is not display 1", entry(x11::kFamilyLocal, "box", "12", "twelve"), local1,
       std::nullopt},
      {"a cookie of any bytes", entry(x11::kFamilyLocal, "box", "0", std::string("\0\xff\n", 3)),
       local, std::string("\0\xff\n", 3)},
      {"an empty file", "", local, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(x11::findCookie(c.file, c.server), c.cookie) << c.what;
}

TEST(X11Authority, TrustsNothingFromAnEntryCutShort) {
  const x11::ServerAddress local{x11::kFamilyLocal, "box", 0};
  const std::string whole = entry(x11::kFamilyLocal, "box", "0", "B0");
  const std::string other = entry(x11::kFamilyLocal, "other", "0", "O");
  // Every cut of an entry for this server, alone and after another entry.
  for (std::size_t length = 0; length < whole.size(); ++length) {
    EXPECT_EQ(x11::findCookie(whole.substr(0, length), local), std::nullopt) << length;
    EXPECT_EQ(x11::findCookie(other + whole.substr(0, length), local), std::nullopt) << length;
  }
  // A length that runs past the end, with what follows it shaped like the
  // rest of an entry for this server: nothing after a bad length counts.
  const std::string overlong = std::string("\x01\x00", 2) + field("box") + "\x10\x00" +
                               field(x11::kMagicCookie) + field("B0");
  EXPECT_EQ(x11::findCookie(overlong, local), std::nullopt);
  const std::string overlongAddress = std::string("\x01\x00", 2) + "\x10\x00" + field("0") +
                                      field(x11::kMagicCookie) + field("B0");
  const x11::ServerAddress noName{x11::kFamilyLocal, "", 0};
  EXPECT_EQ(x11::findCookie(overlongAddress, noName), std::nullopt);
}

}  // namespace

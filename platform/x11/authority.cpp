#include "platform/x11/authority.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

namespace x11 {
namespace {

// An authority file holds a few entries of a hundred bytes or so; a larger
// one is not read to its end.
constexpr std::size_t kMostFileBytes = 1 << 20;

// Reads entries: each is a family (two bytes, big-endian) and four strings
// (address, display number, scheme, cookie), each its length in two bytes,
// big-endian, then its bytes.
class Reader {
 public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}

  bool atEnd() const { return at_ >= bytes_.size(); }

  std::optional<std::uint16_t> number() {
    if (bytes_.size() - at_ < 2) return std::nullopt;
    const auto high = static_cast<unsigned char>(bytes_[at_]);
    const auto low = static_cast<unsigned char>(bytes_[at_ + 1]);
    at_ += 2;
    return static_cast<std::uint16_t>(high << 8 | low);
  }

  std::optional<std::string> text() {
    const std::optional<std::uint16_t> length = number();
    if (!length || bytes_.size() - at_ < *length) return std::nullopt;
    std::string read = bytes_.substr(at_, *length);
    at_ += *length;
    return read;
  }

 private:
  const std::string& bytes_;
  std::size_t at_ = 0;
};

bool isFor(std::uint16_t family, const std::string& address, const std::string& number,
           const ServerAddress& server) {
  const bool place =
      family == kFamilyWild || (family == server.family && address == server.address);
  return place && (number.empty() || number == std::to_string(server.number));
}

std::string authorityPath() {
  const char* named = std::getenv("XAUTHORITY");
  if (named != nullptr && *named != '\0') return named;
  const char* home = std::getenv("HOME");
  return home != nullptr && *home != '\0' ? std::string(home) + "/.Xauthority" : std::string();
}

std::string readSmallFile(const std::string& path) {
  std::string bytes;
  const int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return bytes;
  char buffer[4096];
  ssize_t got;
  while (bytes.size() < kMostFileBytes && (got = ::read(fd, buffer, sizeof buffer)) > 0)
    bytes.append(buffer, static_cast<std::size_t>(got));
  ::close(fd);
  return bytes;
}

}  // namespace

std::optional<std::string> findCookie(const std::string& file, const ServerAddress& server) {
  Reader entries(file);
  while (!entries.atEnd()) {
    const std::optional<std::uint16_t> family = entries.number();
    const std::optional<std::string> address = entries.text();
    const std::optional<std::string> number = entries.text();
    const std::optional<std::string> scheme = entries.text();
    const std::optional<std::string> cookie = entries.text();
    // A part cut short, or a length past the end: whatever follows is read
    // out of step, so nothing more is to be trusted.
    if (!family || !address || !number || !scheme || !cookie) return std::nullopt;
    if (*scheme == kMagicCookie && isFor(*family, *address, *number, server)) return cookie;
  }
  return std::nullopt;
}

std::optional<std::string> sessionCookie(const ServerAddress& server) {
  return findCookie(readSmallFile(authorityPath()), server);
}

}  // namespace x11

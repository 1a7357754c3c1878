// The real program against profiles and paths meant to break it. Whatever
// it is given, it must end by itself within seconds with status 0 or 1,
// say nothing (so no sanitizer report either), leave the profile exactly as
// it was, and never hand a value to a shell.
//
// Every command these profiles name is harmless: the child's PATH holds only
// "true", "touch" and "rm" (the last two so that a shell, were one ever
// run, would leave traces in the test's own folder), and every other name
// does not exist.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/child_process.h"
#include "tests/temp_file.h"

namespace {

namespace fs = std::filesystem;

constexpr int kEitherStatus = -1;
constexpr double kSecondsToEnd = 20;  // generous: the sanitizer build is slow

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<std::string> namesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& item : fs::directory_iterator(folder)) names.insert(item.path().filename());
  return names;
}

// A folder with the programs the child may find on its PATH and the file
// that collects its output.
class Tools {
 public:
  Tools() : folder_("", "output") {
    fs::create_directory(bin());
    for (const char* program : {"true", "touch", "rm"}) {
      for (const char* place : {"/bin/", "/usr/bin/"}) {
        if (fs::exists(std::string(place) + program)) {
          fs::create_symlink(std::string(place) + program, bin() + "/" + program);
          break;
        }
      }
    }
  }

  std::string bin() const { return folder_.folder() + "/bin"; }
  std::string outputFile() const { return folder_.path(); }
  std::string output() const { return readAll(outputFile()); }

  // No DISPLAY, so no window is ever found and runs do not depend on a desktop.
  std::vector<std::string> environment() const {
    std::vector<std::string> environment = {"PATH=" + bin()};
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
      if (const char* value = std::getenv(name)) {
        environment.push_back(std::string(name) + "=" + value);
      }
    }
    return environment;
  }

  ChildProcess start(const std::string& profilePath, const std::string& folder) const {
    return ChildProcess({TARVEXEL_BINARY, profilePath}, environment(), folder, outputFile());
  }

 private:
  TempFile folder_;
};

void expectCleanEnd(const Tools& tools, ChildProcess& child, int expectedStatus) {
  ASSERT_TRUE(child.waitFor(kSecondsToEnd)) << "still running after " << kSecondsToEnd << " s";
  if (expectedStatus == kEitherStatus) {
    EXPECT_TRUE(child.exitStatus() == 0 || child.exitStatus() == 1) << child.exitStatus();
  } else {
    EXPECT_EQ(child.exitStatus(), expectedStatus);
  }
  EXPECT_EQ(tools.output(), "") << "nothing may be printed, sanitizer reports included";
}

std::string randomBytes(unsigned seed, std::size_t size) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
  return bytes;
}

// Lines put together at random from the profile's own words, so that many
// turn into sections, rules and commands; every command word is harmless.
std::string randomProfile(unsigned seed, int lines) {
  static const std::vector<std::string> words = {
      "[default]", "[r]", "[", "]", "class=", "title=", "mode=", "active", "exec", "close",
      "execSync", "sleep=", "=", "|", "true", "no-such-program", "-5", "3", " ", "#", "\r",
      "\xFF", "\xC0\xAF", "\xEF\xBF\xBF", std::string(1, '\0'), "R"};
  std::mt19937 generator(seed);
  std::string text;
  for (int line = 0; line < lines; ++line) {
    const int count = 1 + static_cast<int>(generator() % 5);
    for (int i = 0; i < count; ++i) text += words[generator() % words.size()];
    text += '\n';
  }
  return text;
}

std::string repeated(const std::string& text, int times) {
  std::string result;
  for (int i = 0; i < times; ++i) result += text;
  return result;
}

std::string lineOf(std::size_t length) {
  return "[default]\nexec=" + std::string(length - 5, 'x') + "\nexecSync=true\n";
}

std::string utf16(const std::string& ascii, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char c : ascii) {
    bytes += bigEndian ? std::string(1, '\0') + c : std::string(1, c) + '\0';
  }
  return bytes;
}

std::string sections(int count, const std::string& body) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    text += "[s" + n + "]\n" + body + n + "\n";
  }
  return text + "[default]\nexecSync=true\n";
}

std::string entries(int count, const std::string& line) {
  std::string text = "[default]\n";
  for (int i = 0; i < count; ++i) text += line + std::to_string(i) + "\n";
  return text;
}

struct HostileCase {
  const char* name;
  std::string bytes;
  int expectedStatus;
};

void PrintTo(const HostileCase& c, std::ostream* out) { *out << c.name; }

class HostileProfileTest : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileProfileTest, EndsQuietlyAndLeavesTheProfileAlone) {
  const HostileCase& c = GetParam();
  const Tools tools;
  const TempFile profile(c.bytes);
  ChildProcess child = tools.start(profile.path(), profile.folder());
  expectCleanEnd(tools, child, c.expectedStatus);
  EXPECT_TRUE(profile.contents() == c.bytes) << "the profile must never be written";
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, HostileProfileTest,
    testing::Values(
        HostileCase{"Empty", "", 1},
        HostileCase{"RandomBytes1", randomBytes(1, 64 * 1024), kEitherStatus},
        HostileCase{"RandomBytes2", randomBytes(2, 300 * 1024), kEitherStatus},
        HostileCase{"RandomProfileWords1", randomProfile(1, 3000), kEitherStatus},
        HostileCase{"RandomProfileWords2", "[default]\n" + randomProfile(2, 3000), kEitherStatus},
        HostileCase{"Line1022", lineOf(1022), 0},
        HostileCase{"Line1023", lineOf(1023), 0},
        HostileCase{"Line1024", lineOf(1024), 1},
        HostileCase{"Line1025", lineOf(1025), 1},
        HostileCase{"Line100000", lineOf(100000), 1},
        // 600 characters, 1190 UTF-16 code units: too long on Windows, so here too.
        HostileCase{"Line600Characters1190Units",
                    "[default]\nexec=true|" + repeated("\xF0\x9F\x98\x80", 590) + "\n", 1},
        HostileCase{"NulOnly", std::string(64 * 1024, '\0'), 1},
        HostileCase{"NulLines",
                    "[default]\n" + repeated(std::string("\0exec=x\n", 8), 8192) + "sleep=0", 0},
        HostileCase{"FFOnly", std::string(64 * 1024, '\xFF'), 1},
        HostileCase{"Utf16LittleEndian", utf16("[default]\r\nexecSync=true\r\n", false), 1},
        HostileCase{"Utf16BigEndian", utf16("[default]\r\nexecSync=true\r\n", true), 1},
        HostileCase{"OverlongBracketIsNoHeader", "\xC1\x9B" "default]\nexecSync=true\n", 1},
        HostileCase{"OverlongAndSurrogateValues",
                    "[default]\nexec=\xC0\xAF\xE0\x80\xAF\xF0\x80\x80\xAF\n"
                    "exec=\xED\xA0\x80\xED\xBF\xBF|\xF4\x90\x80\x80\n"
                    "execSync=\xF8\x88\x80\x80\x80\n",
                    0},
        HostileCase{"NegativeSleeps",
                    "[default]\nsleep=-1\nsleep=-4294967295\nsleep=-4294967296\n"
                    "sleep=-99999999999999999999999999\nsleep=  -7ms\nsleep=\t-0\n",
                    0},
        HostileCase{"SleepsThatReadSmall",
                    "[default]\nsleep=+5\nsleep=0x7fffffff\nsleep=1e9\nsleep= \t3\nsleep=\n"
                    "sleep=ten\nsleep=--5\nsleep=+-5\nsleep=\xEF\xBC\x95\n",
                    0},
        HostileCase{"ThousandsOfSections", sections(5000, "setting="), 0},
        HostileCase{"ThousandsOfRules",
                    sections(3000, "title=T\nmode=active\nexec=close\nexec=active\nclass=C"), 0},
        HostileCase{"ThousandsOfCommands", entries(3000, "exec=no-such-program-"), 0},
        HostileCase{"HundredsOfWaits", entries(200, "execSync=true|"), 0},
        HostileCase{"EmptyNamesAndKeys",
                    "=\n=x\n[]\n=\n==\n[default]\n=\nexec=\nexecSync=\nsleep=\n", 0},
        HostileCase{"ValuesOfBars",
                    "[default]\nexec=|\nexec=||||\nexecSync=|\nexecSync=|||||||\nexec=|true\n"
                    "execSync=||true\nexecSync=true||||\n",
                    0}),
    [](const testing::TestParamInfo<HostileCase>& info) { return info.param.name; });

TEST(HostilePathTest, EndlessFoldersAndMissingFilesEndWithStatusOne) {
  const Tools tools;
  const TempFile scratch("");
  for (const std::string& path :
       {std::string("/dev/zero"), scratch.folder(), scratch.folder() + "/missing.ini"}) {
    SCOPED_TRACE(path);
    ChildProcess child = tools.start(path, scratch.folder());
    expectCleanEnd(tools, child, 1);
  }
  EXPECT_EQ(namesIn(scratch.folder()), std::set<std::string>{"profile.ini"});
}

// No shell ever sees a value: each of these would create a file, or remove
// the folder x, if one did.
TEST(HostileShellTest, NoValueReachesAShell) {
  const std::vector<std::string> values = {
      ";rm -rf x",          "$(touch made-1)",        "`touch made-2`",
      "true;touch made-3",  "true|$(touch made-4)",   "true|;touch made-5",
      "true|`touch made-6`", "true|\"$(touch made-7)\"", "true && touch made-8",
      "true|&& touch made-9", "true|>made-10",         "true|x; rm -rf x",
      "touch made-11",      "|touch made-12",         "true|$(rm -rf x)"};
  std::string text = "[default]\n";
  for (const std::string& value : values) text += "execSync=" + value + "\nexec=" + value + "\n";
  const Tools tools;
  const TempFile profile(text);
  fs::create_directory(profile.folder() + "/x");
  Descendants descendants;
  ChildProcess child = tools.start(profile.path(), profile.folder());
  expectCleanEnd(tools, child, 0);
  // The run does not wait for what "exec" started; the test waits for all
  // of it, and for whatever that started in turn.
  ASSERT_TRUE(descendants.waitForAll(kSecondsToEnd)) << "what the run started is still running";
  EXPECT_EQ(namesIn(profile.folder()), (std::set<std::string>{"profile.ini", "x"}));
  EXPECT_TRUE(profile.contents() == text);
}

// Asleep in its pause: what it started before has run (it left its mark)
// and been collected, and it waits, having no child left.
bool asleepAfterItsProgram(const ChildProcess& child, const std::string& folder) {
  return fs::exists(folder + "/started") && childrenOf(child.pid()) == 0 &&
         stateOf(child.pid()).state == 'S';
}

// A sleep of about 49 days cannot be waited out. Instead: once the program
// is asleep, with the program it started before the sleep (which ends at
// once) collected, it must still be there a second later (it neither
// failed nor took the value for a short one), asleep rather than running,
// having used hardly any processor time (it does not spin), and with no
// zombie left. Then it is killed.
TEST(HostileSleepTest, HugeSleepsSleepQuietly) {
  const Tools tools;
  std::vector<std::unique_ptr<TempFile>> profiles;
  std::vector<std::unique_ptr<ChildProcess>> children;
  for (const char* value : {"4294967294", "4294967295", "4294967296", "18446744073709551617",
                            "99999999999999999999999999999999"}) {
    profiles.push_back(std::make_unique<TempFile>(std::string("[default]\nexec=touch|started\nsleep=") +
                                                  value + "\n"));
    children.push_back(std::make_unique<ChildProcess>(
        std::vector<std::string>{TARVEXEL_BINARY, profiles.back()->path()}, tools.environment(),
        profiles.back()->folder(), profiles.back()->folder() + "/output"));
  }
  for (std::size_t i = 0; i < children.size(); ++i) {
    SCOPED_TRACE(profiles[i]->contents());
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(kSecondsToEnd);
    while (!children[i]->waitFor(0) && !asleepAfterItsProgram(*children[i], profiles[i]->folder()) &&
           std::chrono::steady_clock::now() < deadline) {
      usleep(2000);
    }
    ASSERT_FALSE(children[i]->waitFor(0)) << "ended early with " << children[i]->exitStatus();
    ASSERT_TRUE(asleepAfterItsProgram(*children[i], profiles[i]->folder()))
        << "not asleep after " << kSecondsToEnd << " s: state " << stateOf(children[i]->pid()).state
        << ", " << childrenOf(children[i]->pid()) << " children";
  }
  // Every one is asleep: a sleep of a millisecond or a second would end
  // within this second.
  usleep(1000 * 1000);
  for (std::size_t i = 0; i < children.size(); ++i) {
    SCOPED_TRACE(profiles[i]->contents());
    EXPECT_FALSE(children[i]->waitFor(0)) << "ended early with " << children[i]->exitStatus();
    const ProcessState state = stateOf(children[i]->pid());
    EXPECT_EQ(state.state, 'S');
    EXPECT_LT(state.cpuSeconds, 0.25);
    EXPECT_EQ(zombieChildrenOf(children[i]->pid()), 0);
    EXPECT_EQ(readAll(profiles[i]->folder() + "/output"), "");
  }
}

// Memory runs out while a large profile is read: the run ends with status
// 1, printing nothing, instead of the C++ run-time's message and SIGABRT.
// The limit is set by a shell that then becomes the program. (The
// sanitizers reserve more address space than the limit allows.)
// g++ says it is building with AddressSanitizer one way, clang++ another.
#if defined(__SANITIZE_ADDRESS__)
#define TARVEXEL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARVEXEL_ADDRESS_SANITIZER 1
#endif
#endif

TEST(HostileMemoryTest, RunningOutOfMemoryEndsQuietlyWithStatusOne) {
#if defined(TARVEXEL_ADDRESS_SANITIZER)
  GTEST_SKIP() << "AddressSanitizer cannot run under an address-space limit";
#endif
  std::string text;
  for (int i = 0; text.size() < 4 * 1024 * 1024; ++i) {
    const std::string n = std::to_string(i);
    text += "[s" + n + "]\nclass=C" + n + "\ntitle=T" + n + "\n";
  }
  const Tools tools;
  const TempFile profile(text + "[default]\nexecSync=true\n");
  ChildProcess child({"/bin/sh", "-c", "ulimit -v 80000 && exec \"$0\" \"$1\"", TARVEXEL_BINARY,
                      profile.path()},
                     tools.environment(), profile.folder(), tools.outputFile());
  expectCleanEnd(tools, child, 1);
}

}  // namespace

// What "Open" decides on POSIX, against a folder of real files: the one
// decision behind both the launch and tarvexel-inspect's explanation.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/posix/open_command.h"
#include "platform/services.h"
#include "tests/temp_file.h"

namespace {

using Kind = posix::OpenCommand::Kind;

// A folder holding an executable "prog", a document "doc.txt" and, in the
// subfolder "opener", an executable "xdg-open"; PATH is set for each case
// and put back afterwards.
class OpenCommandTest : public testing::Test {
 protected:
  OpenCommandTest() : folder_("#!/bin/sh\n", "prog"), dir_(folder_.folder()) {
    ::chmod(folder_.path().c_str(), 0755);
    std::ofstream(dir_ + "/doc.txt") << "text";
    ::mkdir((dir_ + "/opener").c_str(), 0755);
    std::ofstream(dir_ + "/opener/xdg-open") << "#!/bin/sh\n";
    ::chmod((dir_ + "/opener/xdg-open").c_str(), 0755);
    if (const char* path = std::getenv("PATH")) savedPath_ = path;
  }
  ~OpenCommandTest() override { ::setenv("PATH", savedPath_.c_str(), 1); }

  const TempFile folder_;
  const std::string dir_;
  std::string savedPath_;
};

TEST_F(OpenCommandTest, DecidesAsTheLaunchDoes) {
  struct Case {
    std::string path;  // PATH for the case
    std::string file;
    std::string parameters;
    Kind kind;
    std::vector<std::string> command;
    std::string reason;
  };
  const std::string opener = dir_ + "/opener/xdg-open";
  const std::vector<Case> cases = {
      {dir_, "prog", "-x 'a b' \"$HOME\"", Kind::program,
       {dir_ + "/prog", "prog", "-x", "a b", "$HOME"}, ""},
      {"/nowhere", dir_ + "/prog", "", Kind::program, {dir_ + "/prog", dir_ + "/prog"}, ""},
      {dir_ + "/opener", dir_ + "/doc.txt", "ignored", Kind::opener,
       {opener, "xdg-open", dir_ + "/doc.txt"}, ""},
      {dir_ + "/opener", "https://example.org/a?b", "", Kind::opener,
       {opener, "xdg-open", "https://example.org/a?b"}, ""},
      {dir_ + "/opener", dir_, "", Kind::opener, {opener, "xdg-open", dir_}, ""},
      {dir_ + "/opener", "prog", "", Kind::none, {},
       "no program of that name on PATH, no such file, and no URL"},
      {dir_ + "/opener", dir_ + "/missing", "", Kind::none, {}, "no such file, and no URL"},
      {dir_, dir_ + "/doc.txt", "", Kind::none, {},
       "xdg-open, which would open it, is not on PATH"},
  };
  for (const Case& c : cases) {
    ::setenv("PATH", c.path.c_str(), 1);
    const posix::OpenCommand decided = posix::openCommand(c.file, c.parameters);
    EXPECT_EQ(decided.kind, c.kind) << c.file;
    EXPECT_EQ(decided.command, c.command) << c.file;
    EXPECT_EQ(decided.reason, c.reason) << c.file;
  }
}

// The wide form the companion program reads.
TEST_F(OpenCommandTest, PlanOpenTellsTheSameInWideText) {
  ::setenv("PATH", dir_.c_str(), 1);
  const OpenPlan plan = PlanOpen(L"prog", L"a 'b c'");
  EXPECT_EQ(plan.outcome, OpenPlan::Outcome::startsProgram);
  EXPECT_EQ(plan.program, std::wstring(dir_.begin(), dir_.end()) + L"/prog");
  EXPECT_EQ(plan.arguments, (std::vector<std::wstring>{L"prog", L"a", L"b c"}));
  const OpenPlan unnamable = PlanOpen(std::wstring(L"pr\0og", 5), L"");
  EXPECT_EQ(unnamable.outcome, OpenPlan::Outcome::fails);
  EXPECT_FALSE(unnamable.reason.empty());
}

}  // namespace

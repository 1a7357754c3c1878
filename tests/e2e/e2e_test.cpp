// The real binary on real processes: what starts, in which order, with
// which arguments, and how long everything takes.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/sandbox.h"

namespace {

using Arguments = std::vector<std::string>;

std::vector<Record> starts(const std::vector<Record>& records) {
  std::vector<Record> result;
  for (const Record& record : records) {
    if (record.event == "start") result.push_back(record);
  }
  return result;
}

// A signal mask as /proc shows it, less the signals the C library keeps for
// itself (from 32 up to SIGRTMIN): glibc's posix_spawn leaves those ignored
// in every program it starts, and no program can name them to change that.
std::uint64_t settableSignals(const std::string& hexMask) {
  std::uint64_t mask = std::stoull(hexMask, nullptr, 16);
  for (int signal = 32; signal < SIGRTMIN; ++signal) mask &= ~(std::uint64_t{1} << (signal - 1));
  return mask;
}

// When the record of `event` ("start" or "end") of program `name` was written.
long long timeOf(const std::vector<Record>& records, const std::string& event,
                 const std::string& name) {
  for (const Record& record : records) {
    if (record.event == event && record.name == name) return record.milliseconds;
  }
  throw std::runtime_error("no " + event + " of " + name);
}

TEST(EndToEndTest, RunsEntriesInOrderSleepingAndWaitingForReal) {
  const Sandbox sandbox;
  const RunResult run =
      sandbox.runProfile("[default]\nexec=a\nsleep=300\nexecSync=b|--sleep=400\nexec=c\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.standardError, "");
  const std::vector<Record> records = sandbox.waitForRecords(6);
  ASSERT_EQ(records.size(), 6u);
  const long long a = timeOf(records, "start", "a");
  const long long b = timeOf(records, "start", "b");
  const long long bEnd = timeOf(records, "end", "b");
  const long long c = timeOf(records, "start", "c");
  EXPECT_LE(a, b);
  // a may be scheduled late; the launcher's own start is a safe lower bound.
  EXPECT_GE(b - run.startMilliseconds, 300) << "sleep=300 pauses before b";
  EXPECT_GE(bEnd - b, 400);
  EXPECT_GE(c, bEnd) << "execSync waits for b to end before c";
  EXPECT_GE(run.endMilliseconds - run.startMilliseconds, 700);
}

TEST(EndToEndTest, ExecDoesNotWaitAndTheProgramOutlivesTheLauncher) {
  const Sandbox sandbox;
  const RunResult run = sandbox.runProfile("[default]\nexec=a|--sleep=1500\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_LT(run.endMilliseconds - run.startMilliseconds, 1000);
  const std::vector<Record> records = sandbox.waitForRecords(2);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_TRUE(records[0].sessionLeader) << "started in a session of its own";
  EXPECT_GE(records[1].milliseconds, run.endMilliseconds) << "a ended after the launcher";
}

TEST(EndToEndTest, ProgramsStartWithNoSignalBlockedOrIgnored) {
  const Sandbox sandbox;
  sandbox.write("notes.txt", "text");
  Start careless;
  careless.carelessParent = true;
  const RunResult run =
      sandbox.runProfile("[default]\nexec=a\nexecSync=b\nexecSync=notes.txt\n", careless);
  EXPECT_EQ(run.status, 0);
  const std::vector<Record> started = starts(sandbox.waitForRecords(6));
  ASSERT_EQ(started.size(), 3u) << "a, b and xdg-open";
  for (const Record& record : started) {
    EXPECT_EQ(settableSignals(record.blockedSignals), 0u) << record.name;
    EXPECT_EQ(settableSignals(record.ignoredSignals), 0u) << record.name;
  }
}

TEST(EndToEndTest, ParametersArriveSplitLikeShellWordsWithoutExpansion) {
  struct Case {
    std::string parameters;
    Arguments expected;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"x y", {"x", "y"}},
      {"  lead \t trail  ", {"lead", "trail"}},
      {"\"a b\" 'c d'", {"a b", "c d"}},
      {"a\\ b", {"a b"}},
      {"\"a\"'b'c", {"abc"}},
      {"\"\" ''", {"", ""}},
      {"\"x\\\"y\" 'x\\y'", {"x\"y", "x\\y"}},
      {"b|c", {"b|c"}},
      {"$HOME ~ * `id` $(touch made)", {"$HOME", "~", "*", "`id`", "$(touch", "made)"}},
      {"'open to the end", {"open to the end"}},
      {"日本語 =x", {"日本語", "=x"}},
  };
  const Sandbox sandbox;
  std::string profile = "[default]\n";
  for (const Case& c : cases) profile += "execSync=a|" + c.parameters + "\n";
  EXPECT_EQ(sandbox.runProfile(profile).status, 0);
  const std::vector<Record> started = starts(sandbox.records());
  ASSERT_EQ(started.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(started[i].arguments, cases[i].expected) << cases[i].parameters;
  }
  EXPECT_FALSE(std::filesystem::exists(sandbox.folder() + "/made")) << "nothing was expanded";
}

TEST(EndToEndTest, ProgramsAreFoundByPathOrOnPath) {
  const Sandbox sandbox;
  const std::string script = sandbox.write("tool.sh", "#!/bin/sh\nexec a from-script \"$@\"\n");
  chmod(script.c_str(), 0700);
  EXPECT_EQ(sandbox.runProfile("[default]\nexecSync=" + script + "|x\nexecSync=./tool.sh|y\n"
                               "execSync=" + sandbox.folder() + "/bin/b|z\n")
                .status,
            0);
  const std::vector<Record> started = starts(sandbox.records());
  ASSERT_EQ(started.size(), 3u);
  EXPECT_EQ(started[0].arguments, (Arguments{"from-script", "x"}));
  EXPECT_EQ(started[1].arguments, (Arguments{"from-script", "y"}));
  EXPECT_EQ(started[2].name, "b");
}

TEST(EndToEndTest, DocumentsFoldersAndUrlsGoToXdgOpen) {
  const Sandbox sandbox;
  const std::string document = sandbox.write("notes.txt", "text");
  const std::vector<std::string> targets = {document, "notes.txt", sandbox.folder(),
                                            "https://example.invalid/a?b=c", "mailto:x@y.invalid"};
  std::string profile = "[default]\n";
  for (const std::string& target : targets) profile += "execSync=" + target + "|ignored\n";
  EXPECT_EQ(sandbox.runProfile(profile).status, 0);
  const std::vector<Record> started = starts(sandbox.records());
  ASSERT_EQ(started.size(), targets.size());
  for (std::size_t i = 0; i < targets.size(); ++i) {
    EXPECT_EQ(started[i].name, "xdg-open");
    EXPECT_EQ(started[i].arguments, Arguments{targets[i]});
  }
}

TEST(EndToEndTest, FailedLaunchesAreSilentAndTheRunGoesOn) {
  const Sandbox sandbox;
  sandbox.write("plain.txt", "not a program");
  sandbox.removeFromPath("xdg-open");
  const RunResult run = sandbox.runProfile(
      "[default]\nexec=no-such-program\nexecSync=/no/such/file|x\nexec=|a\nexec=\n"
      "execSync=plain.txt\nexecSync=not a url:\nexec=a\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.standardError, "");
  const std::vector<Record> started = starts(sandbox.waitForRecords(2));
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].name, "a");
}

TEST(EndToEndTest, ExitStatusAndNotice) {
  const Sandbox sandbox;
  const std::string good = sandbox.write("my profile.ini", "[default]\nexec=a\n");
  const std::string noDefault = sandbox.write("rules.ini", "[r]\nclass=X\nexec=b\n");
  struct Case {
    Arguments arguments;
    int status;
    std::string standardError;
    ErrorStream error = ErrorStream::kFile;
  };
  const std::string notice = "設定画面が開く予定ですが、まだ作成中です。\nごめんなさいm(_ _)m\n";
  const std::vector<Case> cases = {
      {{}, 0, notice},
      {{"\rmore"}, 0, notice},
      // Nobody to read the notice: still the notice's status, and soon.
      {{}, 0, "", ErrorStream::kClosed},
      {{}, 0, "", ErrorStream::kBrokenPipe},
      {{}, 0, "", ErrorStream::kFullPipe},
      {{sandbox.folder() + "/my", "profile.ini"}, 0, ""},
      {{good + "\r", "trailing words"}, 0, ""},
      {{"\"" + good + "\""}, 1, ""},
      {{good + ".missing"}, 1, ""},
      {{sandbox.folder()}, 1, ""},
      {{noDefault}, 1, ""},
  };
  for (const Case& c : cases) {
    const RunResult run = sandbox.run(c.arguments, {c.error});
    const std::string what = testing::PrintToString(c.arguments) + " error stream " +
                             std::to_string(static_cast<int>(c.error));
    EXPECT_EQ(run.status, c.status) << what;
    EXPECT_EQ(run.standardError, c.standardError) << what;
    EXPECT_LT(run.endMilliseconds - run.startMilliseconds, 5000) << what;
  }
  const std::vector<Record> started = starts(sandbox.waitForRecords(4));
  ASSERT_EQ(started.size(), 2u) << "the good profile ran twice, nothing else ran";
  EXPECT_EQ(started[0].name, "a");
  EXPECT_EQ(started[1].name, "a");
}

// The two words a new user types first are answered on standard output,
// and only while no file has that name; with more words, or once a file is
// called so, the command line is a profile's path as always.
TEST(EndToEndTest, HelpAndVersionUnlessAFileHasThatName) {
  const Sandbox sandbox;
  const RunResult help = sandbox.run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.standardError.rfind("Usage: tarvexel PROFILE\n", 0), 0u) << help.standardError;
  EXPECT_NE(help.standardError.find("tarvexel(5)"), std::string::npos);
  const RunResult version = sandbox.run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.standardError.rfind("tarvexel ", 0), 0u) << version.standardError;
  EXPECT_EQ(version.standardError.find('\n'), version.standardError.size() - 1);
  for (const Arguments& arguments : {Arguments{"--help", "me"}, Arguments{"--Version"}}) {
    const RunResult run = sandbox.run(arguments);
    EXPECT_EQ(run.status, 1) << testing::PrintToString(arguments);
    EXPECT_EQ(run.standardError, "") << testing::PrintToString(arguments);
  }
  sandbox.write("--help", "[default]\nexec=a\n");
  sandbox.write("--version", "[r]\nclass=NoSuchWindow\nexec=b\n");
  const RunResult profile = sandbox.run({"--help"});
  EXPECT_EQ(profile.status, 0);
  EXPECT_EQ(profile.standardError, "");
  const RunResult noDefault = sandbox.run({"--version"});
  EXPECT_EQ(noDefault.status, 1);
  EXPECT_EQ(noDefault.standardError, "");
  const std::vector<Record> started = starts(sandbox.waitForRecords(2));
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].name, "a");
}

}  // namespace

// The companion program against the scripted platform: what explain makes
// of a profile, and the commands around it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/inspect/bind/config_keys.h"
#include "app/inspect/bind/keys.h"
#include "app/inspect/bind/rc_xml.h"
#include "app/inspect/bind/sway_config.h"
#if TARVEXEL_BIND_OVER_SESSION_BUS
#include "app/inspect/bind/accelerator.h"
#include "app/inspect/bind/binder.h"
#include "app/inspect/bind/command_text.h"
#include "app/inspect/bind/desktop_entry.h"
#include "app/inspect/bind/gsettings.h"
#include "app/inspect/bind/kglobalaccel.h"
#endif
#include "app/inspect/commands.h"
#include "app/inspect/explain.h"
#include "tests/scripted_platform.h"
#include "tests/temp_file.h"

namespace {

struct ExplainCase {
  const char* name;
  std::string profile;
  std::vector<ScriptedWindow> windows;
  int foreground;  // 1-based index into windows, 0 for none
  std::map<std::wstring, OpenPlan> plans;
  std::wstring report;  // after the lines that name the file and its encoding
  int status;
};

void PrintTo(const ExplainCase& c, std::ostream* out) { *out << c.name; }

// How a report goes on, up to its warnings, when no rule fires and the
// [default] section holds exec=d alone.
const std::wstring kDefaultRuns =
    L"\n"
    L"Would run: [default], as no rule fires\n"
    L"  exec=d: the shell opens \"d\" with no parameters\n"
    L"Exit status: 0\n"
    L"\n";

class ExplainTest : public testing::TestWithParam<ExplainCase> {};

// Only questions reach the platform: no launch, close, activation or sleep.
bool onlyAsks(const std::vector<std::wstring>& calls) {
  for (const std::wstring& call : calls) {
    if (call.rfind(L"FindShownWindow(", 0) != 0 &&
        call.rfind(L"FindLeastRecentWindow(", 0) != 0 && call != L"GetForegroundWindow()")
      return false;
  }
  return true;
}

TEST_P(ExplainTest, ReportsWhatTheLauncherWouldDo) {
  const ExplainCase& c = GetParam();
  resetScripted();
  for (const ScriptedWindow& w : c.windows) scripted().addWindow(w.className, w.title);
  scripted().foreground = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(c.foreground));
  scripted().plans = c.plans;
  const TempFile file(c.profile);
  const Explanation explanation = explainProfile(file.widePath());
  const std::wstring& report = explanation.report;
  // Linux reads every profile as UTF-8.
  const std::wstring head = L"Profile: " + file.widePath() + L"\nEncoding: UTF-8\n";
  EXPECT_EQ(report.substr(0, head.size()), head);
  EXPECT_EQ(report.substr(std::min(head.size(), report.size())), c.report);
  EXPECT_EQ(explanation.status, c.status);
  EXPECT_TRUE(onlyAsks(scripted().calls));
  EXPECT_EQ(file.contents(), c.profile) << "the profile is never written";
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, ExplainTest,
    testing::Values(
        ExplainCase{"RuleInFrontFiresAndLaterRulesAreNotLookedAt",
                    "[inbox]\nclass=X\nmode=active\nexec=close\n[later]\ntitle=Notes\nexec=n\n"
                    "[default]\nexec=a.exe\n",
                    {{L"X", L"Inbox"}, {L"N", L"Notes"}}, 1, {},
                    L"Loads: yes, 3 sections: [inbox], [later], [default]\n"
                    L"Window system: scripted desktop\n"
                    L"\n"
                    L"Window rules, in file order:\n"
                    L"  [inbox]: class \"X\", mode \"active\"\n"
                    L"    finds 0x1 (class \"X\", title \"Inbox\")\n"
                    L"    fires\n"
                    L"  [later]: not looked at, [inbox] fires first\n"
                    L"\n"
                    L"Would run: [inbox], against 0x1 (class \"X\", title \"Inbox\")\n"
                    L"  class=X: does nothing when the section runs: it belongs to the rule\n"
                    L"  mode=active: does nothing when the section runs: it belongs to the rule\n"
                    L"  exec=close: asks 0x1 (class \"X\", title \"Inbox\") to close (its program"
                    L" may decline)\n"
                    L"Exit status: 0\n"
                    L"\n"
                    L"Warnings: none\n",
                    0},
        ExplainCase{"ActiveRuleBehindAnotherWindowFallsToDefault",
                    "[inbox]\nclass=X\nmode=active\nexec=close\n"
                    "[default]\nexec=a.exe\nsleep=500\nexecSync=b.exe|-s\n",
                    {{L"Y", L"Other"}, {L"X", L"Inbox"}}, 1, {},
                    L"Loads: yes, 2 sections: [inbox], [default]\n"
                    L"Window system: scripted desktop\n"
                    L"\n"
                    L"Window rules, in file order:\n"
                    L"  [inbox]: class \"X\", mode \"active\"\n"
                    L"    finds 0x2 (class \"X\", title \"Inbox\")\n"
                    L"    does not fire: mode \"active\", and another window is in front: 0x1"
                    L" (class \"Y\", title \"Other\")\n"
                    L"\n"
                    L"Would run: [default], as no rule fires\n"
                    L"  exec=a.exe: the shell opens \"a.exe\" with no parameters\n"
                    L"  sleep=500: pauses 500 ms\n"
                    L"  execSync=b.exe|-s: the shell opens \"b.exe\" with the parameters \"-s\","
                    L" and waits until it ends\n"
                    L"Exit status: 0\n"
                    L"\n"
                    L"Warnings: none\n",
                    0},
        ExplainCase{"NoWindowAndNoDefault", "[r]\nclass=A\ntitle=T\nexec=x\n", {{L"A", L"U"}}, 0,
                    {},
                    L"Loads: yes, 1 section: [r]\n"
                    L"Window system: scripted desktop\n"
                    L"\n"
                    L"Window rules, in file order:\n"
                    L"  [r]: class \"A\", title \"T\", mode \"exec\" (not given, the default)\n"
                    L"    finds no window: does not fire\n"
                    L"\n"
                    L"Would run: nothing; no rule fires and there is no [default], so the"
                    L" launcher ends with exit status 1\n"
                    L"\n"
                    L"Warnings: none\n",
                    1},
        ExplainCase{"TitleByPartAndUnknownRefinements",
                    "[a]\ntitle=In\ntitleMatch=begins\nexec=a\n"
                    "[b]\ntitle=In\ntitleMatch=prefix\nworkspace=here\nexec=active\n",
                    {{L"X", L"Inbox"}}, 0, {},
                    L"Loads: yes, 2 sections: [a], [b]\n"
                    L"Window system: scripted desktop\n"
                    L"\n"
                    L"Window rules, in file order:\n"
                    L"  [a]: title \"In\", titleMatch \"begins\", mode \"exec\" (not given, the"
                    L" default)\n"
                    L"    does not fire: titleMatch \"begins\" never fires (only \"exact\","
                    L" \"prefix\", \"suffix\" and \"contains\" do)\n"
                    L"  [b]: title \"In\", titleMatch \"prefix\", workspace \"here\", mode \"exec\""
                    L" (not given, the default)\n"
                    L"    finds 0x1 (class \"X\", title \"Inbox\")\n"
                    L"    fires\n"
                    L"\n"
                    L"Would run: [b], against 0x1 (class \"X\", title \"Inbox\")\n"
                    L"  title=In: does nothing when the section runs: it belongs to the rule\n"
                    L"  titleMatch=prefix: does nothing when the section runs: it belongs to the"
                    L" rule\n"
                    L"  workspace=here: does nothing when the section runs: it belongs to the"
                    L" rule\n"
                    L"  exec=active: brings 0x1 (class \"X\", title \"Inbox\") to the front,"
                    L" moving it to your workspace first\n"
                    L"Exit status: 0\n"
                    L"\n"
                    L"Warnings:\n"
                    L"  [a] titleMatch \"begins\" never fires: only \"exact\", \"prefix\","
                    L" \"suffix\" and \"contains\" do\n",
                    0},
        ExplainCase{"OverlongLineIsNamed", "[default]\nexec=a\n" + std::string(1024, 'x') + "\n",
                    {}, 0, {},
                    L"Loads: no: line 3 is longer than 1023 characters, and the launcher refuses"
                    L" the whole profile\n"
                    L"Would run: nothing; the launcher ends with exit status 1\n",
                    1},
        ExplainCase{"ModesThatNeverFireAndNoWindowInFront",
                    "[a]\nclass=A\nmode=Active\nexec=a\n[b]\nclass=A\nmode=active\nexec=b\n"
                    "[c]\nclass=Z\nexec=c\n[default]\nexec=d\n",
                    {{L"A", L"a"}}, 0, {},
                    L"Loads: yes, 4 sections: [a], [b], [c], [default]\n"
                    L"Window system: scripted desktop\n"
                    L"\n"
                    L"Window rules, in file order:\n"
                    L"  [a]: class \"A\", mode \"Active\"\n"
                    L"    finds 0x1 (class \"A\", title \"a\")\n"
                    L"    does not fire: mode \"Active\" never fires (only \"exec\" and"
                    L" \"active\" do)\n"
                    L"  [b]: class \"A\", mode \"active\"\n"
                    L"    finds 0x1 (class \"A\", title \"a\")\n"
                    L"    does not fire: no window is in front\n"
                    L"  [c]: class \"Z\", mode \"exec\" (not given, the default)\n"
                    L"    finds no window: does not fire\n" +
                        kDefaultRuns +
                        L"Warnings:\n"
                        L"  [a] mode \"Active\" never fires: only \"exec\" and \"active\" do\n",
                    0},
        ExplainCase{"WhatEachEntryWouldDo",
                    "title=T\nexec=next\nexec=minimize\nexec=active\nexecSync=close\n"
                    "exec=prog|-x 'two words'\nexec=doc.txt|--ignored\nexecSync=gone\n"
                    "execSync=doc.txt\nexec=|x\nsleep=2s\nsleep=-5\nsleep=40\nExec=y\nnote=z\n",
                    {{L"A", L"T"}}, 1,
                    {{L"prog", {OpenPlan::Outcome::startsProgram, L"/usr/bin/prog",
                                {L"prog", L"-x", L"two words"}, L""}},
                     {L"doc.txt", {OpenPlan::Outcome::handsToOpener, L"/usr/bin/xdg-open",
                                   {L"xdg-open", L"doc.txt"}, L""}},
                     {L"gone", {OpenPlan::Outcome::fails, L"", {}, L"no such thing"}}},

                    L"Loads: yes, 1 section: [] (the lines above the first header)\n"
                    L"Window system: scripted desktop\n"
                    L"\n"
                    L"Window rules, in file order:\n"
                    L"  [] (the lines above the first header): title \"T\", mode \"exec\" (not"
                    L" given, the default)\n"
                    L"    finds 0x1 (class \"A\", title \"T\")\n"
                    L"    fires\n"
                    L"\n"
                    L"Would run: [] (the lines above the first header), against 0x1 (class \"A\","
                    L" title \"T\")\n"
                    L"  title=T: does nothing when the section runs: it belongs to the rule\n"
                    L"  exec=next: brings forward 0x1 (class \"A\", title \"T\"): of the windows"
                    L" the rule matches, the one you have gone longest without\n"
                    L"  exec=minimize: minimises 0x1 (class \"A\", title \"T\")\n"
                    L"  exec=active: brings 0x1 (class \"A\", title \"T\") to the front\n"
                    L"  execSync=close: the shell opens \"close\" with no parameters, and waits"
                    L" until it ends\n"
                    L"  exec=prog|-x 'two words': starts /usr/bin/prog (\"prog\", found on PATH)"
                    L" with the arguments \"-x\" \"two words\"\n"
                    L"  exec=doc.txt|--ignored: hands \"doc.txt\" to xdg-open"
                    L" (/usr/bin/xdg-open), which opens it with the desktop's program for it; the"
                    L" parameters \"--ignored\" are not used\n"
                    L"  execSync=gone: starts nothing: no such thing, and goes on without"
                    L" waiting\n"
                    L"  execSync=doc.txt: hands \"doc.txt\" to xdg-open (/usr/bin/xdg-open),"
                    L" which opens it with the desktop's program for it, and waits until xdg-open"
                    L" ends (not the program it starts)\n"
                    L"  exec=|x: starts nothing: there is no file before the first \"|\"\n"
                    L"  sleep=2s: pauses 2 ms (\"2s\" read as a number of milliseconds)\n"
                    L"  sleep=-5: pauses 0 ms (\"-5\" read as a number of milliseconds)\n"
                    L"  sleep=40: pauses 40 ms\n"
                    L"  Exec=y: does nothing: only exec, execSync and sleep are commands\n"
                    L"  note=z: does nothing: only exec, execSync and sleep are commands\n"
                    L"Exit status: 0\n"
                    L"\n"
                    L"Warnings:\n"
                    L"  [] (the lines above the first header) key \"Exec\" is not \"exec\": keys"
                    L" are exact (capitals and blanks count), so this entry does nothing\n"
                    L"  [] (the lines above the first header) execSync=close starts a program"
                    L" named \"close\": the word acts on a window only as exec=close in a window"
                    L" rule\n"
                    L"  [] (the lines above the first header) execSync=gone starts nothing: no"
                    L" such thing\n",
                    0},
        ExplainCase{"LikelyMistakes",
                    "[Default]\nexec=x\n[tools]\nexec=close\n[r]\nclass=A\nExec=close\nexec =y\n"
                    "[again]\nclass=A\nmode=active\nexec=z\n[odd]\ntitle=T\nmode= active\n"
                    "[default]\nclass=A\nexec=close\nexecSync=next\n",
                    {}, 0, {},
                    L"Loads: yes, 6 sections: [Default], [tools], [r], [again], [odd], [default]\n"
                    L"Window system: scripted desktop\n"
                    L"\n"
                    L"Window rules, in file order:\n"
                    L"  [r]: class \"A\", mode \"exec\" (not given, the default)\n"
                    L"    finds no window: does not fire\n"
                    L"  [again]: class \"A\", mode \"active\"\n"
                    L"    finds no window: does not fire\n"
                    L"  [odd]: title \"T\", mode \" active\"\n"
                    L"    finds no window: does not fire\n"
                    L"\n"
                    L"Would run: [default], as no rule fires\n"
                    L"  class=A: does nothing when the section runs: it belongs to the rule\n"
                    L"  exec=close: the shell opens \"close\" with no parameters\n"
                    L"  execSync=next: the shell opens \"next\" with no parameters, and waits"
                    L" until it ends\n"
                    L"Exit status: 0\n"
                    L"\n"
                    L"Warnings:\n"
                    L"  [Default] is not [default]: section names are exact, so it never runs as"
                    L" the fallback\n"
                    L"  [tools] has neither class nor title, so it is no window rule and never"
                    L" runs\n"
                    L"  [r] key \"Exec\" is not \"exec\": keys are exact (capitals and blanks"
                    L" count), so this entry does nothing\n"
                    L"  [r] key \"exec \" is not \"exec\": keys are exact (capitals and blanks"
                    L" count), so this entry does nothing\n"
                    L"  [r] has no exec, execSync or sleep: when it fires it does nothing, and"
                    L" [default] does not run either\n"
                    L"  [again] never fires: [r] before it looks for the same window and fires"
                    L" whenever it would\n"
                    L"  [odd] mode \" active\" never fires: only \"exec\" and \"active\" do\n"
                    L"  [odd] has no exec, execSync or sleep: when it fires it does nothing, and"
                    L" [default] does not run either\n"
                    L"  [default] has a class: [default] is never a window rule, so it does"
                    L" nothing there\n"
                    L"  [default] exec=close starts a program named \"close\": the word acts on a"
                    L" window only as exec=close in a window rule\n"
                    L"  [default] execSync=next starts a program named \"next\": the word acts on"
                    L" a window only as exec=next in a window rule\n",
                    0},
        ExplainCase{"TitleDifferingOnlyInCaseOrBlanksIsNamed",
                    "[mail]\nclass=Mailer\ntitle=inbox\nexec=d\n[notes]\ntitle=Notes\nexec=d\n"
                    "[default]\nexec=d\n",
                    {{L"Other", L"Inbox"}, {L"Mailer", L" Inbox "}, {L"Pad", L"notes"}}, 0, {},
                    L"Loads: yes, 3 sections: [mail], [notes], [default]\n"
                    L"Window system: scripted desktop\n"
                    L"\n"
                    L"Window rules, in file order:\n"
                    L"  [mail]: class \"Mailer\", title \"inbox\", mode \"exec\" (not given, the"
                    L" default)\n"
                    L"    finds no window: does not fire\n"
                    L"    0x2 (class \"Mailer\", title \" Inbox \") differs only in letter case or"
                    L" blanks at either end of its title: titles are matched exactly\n"
                    L"  [notes]: title \"Notes\", mode \"exec\" (not given, the default)\n"
                    L"    finds no window: does not fire\n"
                    L"    0x3 (class \"Pad\", title \"notes\") differs only in letter case or"
                    L" blanks at either end of its title: titles are matched exactly\n" +
                        kDefaultRuns + L"Warnings: none\n",
                    0},
        ExplainCase{"NextNamesTheWindowItBringsForwardAndEverySectionsProgramsAreChecked",
                    "[term]\nclass=T\nexec=next\nexec=gone\n[never]\nclass=N\nexec=gone|-x\n"
                    "exec=close\n[default]\nexecSync=gone\nexec=d\n",
                    {{L"T", L"one"}, {L"T", L"two"}, {L"T", L"three"}}, 1,
                    {{L"gone", {OpenPlan::Outcome::fails, L"", {}, L"not found on PATH"}}},
                    L"Loads: yes, 3 sections: [term], [never], [default]\n"
                    L"Window system: scripted desktop\n"
                    L"\n"
                    L"Window rules, in file order:\n"
                    L"  [term]: class \"T\", mode \"exec\" (not given, the default)\n"
                    L"    finds 0x1 (class \"T\", title \"one\")\n"
                    L"    fires\n"
                    L"  [never]: not looked at, [term] fires first\n"
                    L"\n"
                    L"Would run: [term], against 0x1 (class \"T\", title \"one\")\n"
                    L"  class=T: does nothing when the section runs: it belongs to the rule\n"
                    L"  exec=next: brings forward 0x3 (class \"T\", title \"three\"): of the"
                    L" windows the rule matches, the one you have gone longest without\n"
                    L"  exec=gone: starts nothing: not found on PATH\n"
                    L"Exit status: 0\n"
                    L"\n"
                    L"Warnings:\n"
                    L"  [term] exec=gone starts nothing: not found on PATH\n"
                    L"  [never] exec=gone|-x starts nothing: not found on PATH\n"
                    L"  [default] execSync=gone starts nothing: not found on PATH\n",
                    0},
        ExplainCase{"NoRulesAtAll", "[default]\nexec=d\n", {{L"A", L"a"}}, 1, {},
                    L"Loads: yes, 1 section: [default]\n"
                    L"Window system: scripted desktop\n"
                    L"\n"
                    L"Window rules: none (no section but [default] has a class or title)\n" +
                        kDefaultRuns + L"Warnings: none\n",
                    0}),
    [](const testing::TestParamInfo<ExplainCase>& info) { return info.param.name; });

TEST(ExplainTest, NamesTheOpenError) {
  resetScripted();
  const TempFile file("");
  const Explanation explanation = explainProfile(file.widePath() + L".missing");
  EXPECT_NE(explanation.report.find(L"\nLoads: no: it cannot be opened: No such file or directory\n"
                                    L"Would run: nothing; the launcher ends with exit status 1\n"),
            std::wstring::npos)
      << std::string(explanation.report.begin(), explanation.report.end());
  EXPECT_EQ(explanation.status, 1);
}

// A profile a Windows editor saved as UTF-16 loads as text of no use; the
// report says so and what to do. UTF-8, with or without its mark, does not.
TEST(ExplainTest, WarnsOfUtf16Files) {
  using namespace std::string_literals;
  const struct {
    std::string bytes;
    const wchar_t* sign;  // null: no warning
  } cases[] = {
      {"\xff\xfe[\0d\0e\0f\0a\0u\0l\0t\0]\0\n\0"s, L"byte-order mark"},
      {"\xfe\xff\0[\0d\0e\0f\0a\0u\0l\0t\0]\0\n"s, L"byte-order mark"},
      {"[\0d\0e\0f\0a\0u\0l\0t\0]\0\n\0"s, L"NUL bytes"},
      {"\xef\xbb\xbf[default]\nexec=d\n"s, nullptr},
      {"[default]\nexec=caf\xc3\xa9\n"s, nullptr},
  };
  for (const auto& c : cases) {
    resetScripted();
    const TempFile file(c.bytes);
    const std::wstring report = explainProfile(file.widePath()).report;
    const std::size_t warning = report.find(L"the file looks like UTF-16 (");
    if (c.sign == nullptr) {
      EXPECT_EQ(warning, std::wstring::npos) << c.bytes;
      continue;
    }
    ASSERT_NE(warning, std::wstring::npos) << c.bytes;
    EXPECT_NE(report.find(c.sign, warning), std::wstring::npos) << c.bytes;
    EXPECT_NE(report.find(L"Save it as UTF-8", warning), std::wstring::npos) << c.bytes;
  }
}

// What a command printed, and its exit status.
struct Printed {
  std::wstring out;
  std::wstring err;
  int status;
};

Printed inspect(const std::vector<std::wstring>& arguments) {
  Printed run{};
  run.status = runInspect(arguments, {[&run](const std::wstring& text) { run.out += text; },
                                      [&run](const std::wstring& text) { run.err += text; }});
  return run;
}

void addWindows() {
  resetScripted();
  scripted().window(scripted().addWindow(L"Term", L" shell")).minimized = true;
  scripted().foreground = scripted().addWindow(L"MailerWindow", L"Inbox\tall");
}

TEST(CommandsTest, WindowsForPeopleAndForScripts) {
  addWindows();
  const Printed table = inspect({L"windows"});
  EXPECT_EQ(table.out,
            L"Window system: scripted desktop\n"
            L"  WINDOW  CLASS           TITLE\n"
            L"  0x1     \"Term\"          \" shell\" (minimised)\n"
            L"* 0x2     \"MailerWindow\"  \"Inbox\tall\"\n");
  EXPECT_EQ(table.status, 0);
  const Printed values = inspect({L"windows", L"--tsv"});
  EXPECT_EQ(values.out, L"0\t0x1\t shell\tTerm\n1\t0x2\tInbox\\tall\tMailerWindow\n");
  EXPECT_TRUE(scripted().calls.empty()) << "listing only looks";
  // Where the desktop gives no lasting ids (wlroots), no list position
  // poses as one.
  scripted().stableIds = false;
  EXPECT_EQ(inspect({L"windows"}).out,
            L"Window system: scripted desktop\n"
            L"  CLASS           TITLE\n"
            L"  \"Term\"          \" shell\" (minimised)\n"
            L"* \"MailerWindow\"  \"Inbox\tall\"\n");
  resetScripted();
  EXPECT_EQ(inspect({L"windows"}).out, L"Window system: scripted desktop\nNo windows.\n");
}

TEST(CommandsTest, FrontCountsDownThenShowsTheWindowInFront) {
  addWindows();
  const Printed run = inspect({L"front", L"2"});
  EXPECT_EQ(run.out,
            L"Window system: scripted desktop\n"
            L"  WINDOW  CLASS           TITLE\n"
            L"* 0x2     \"MailerWindow\"  \"Inbox\tall\"\n");
  EXPECT_EQ(run.err, L"Switch to the window you want a rule for. 2... 1...\n");
  EXPECT_EQ(scripted().calls, (std::vector<std::wstring>{L"Sleep(1000)", L"Sleep(1000)"}));
  EXPECT_EQ(run.status, 0);
  scripted().foreground = nullptr;
  const Printed none = inspect({L"front", L"0"});
  EXPECT_EQ(none.out,
            L"Window system: scripted desktop\nNo window the launcher can see is in front.\n");
  EXPECT_EQ(none.status, 1);
  // What the desktop says of it follows, a line of its own.
  scripted().whyNoneInFront = L"The overview is open.";
  const Printed overview = inspect({L"front", L"0"});
  EXPECT_EQ(overview.out, L"Window system: scripted desktop\nNo window the launcher can see is in "
                          L"front.\nThe overview is open.\n");
  EXPECT_EQ(overview.status, 1);
  resetScripted();
  inspect({L"front"});
  EXPECT_EQ(scripted().calls.size(), 3u) << "three seconds unless told";
}

TEST(CommandsTest, UsageErrorsPrintNothingOnStandardOutput) {
  const std::vector<std::vector<std::wstring>> wrong = {
      {}, {L"bogus"}, {L"windows", L"--csv"}, {L"windows", L"--tsv", L"x"}, {L"front", L"abc"},
      {L"front", L"3601"}, {L"front", L"-1"}, {L"front", L"1", L"2"}, {L"explain"},
      {L"explain", L"\rx"}, {L"--help", L"x"}, {L"bind", L"Super+T"},
      {L"bind", L"--replace", L"Super+T"}, {L"bind", L"Super+Hyper+T", L"p.ini"},
      {L"bind", L"T", L"p.ini"}, {L"unbind"}, {L"unbind", L"Super+"}, {L"bindings", L"x"}};
  for (const std::vector<std::wstring>& arguments : wrong) {
    resetScripted();
    const Printed run = inspect(arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find(L"tarvexel-inspect --help"), std::wstring::npos);
    EXPECT_TRUE(scripted().calls.empty());
  }
  EXPECT_EQ(inspect({L"--version"}).out, L"tarvexel-inspect 1.1.0\n");
  EXPECT_EQ(inspect({L"--help"}).status, 0);
}

// The path is taken as the launcher takes its command line: the words
// joined with single blanks, cut at a carriage return.
TEST(CommandsTest, ExplainTakesThePathAsTheLauncherDoes) {
  resetScripted();
  const TempFile file("[r]\nclass=A\nexec=a\n", "my profile.ini");
  const std::wstring folder(file.folder().begin(), file.folder().end());
  const Printed run = inspect({L"explain", folder + L"/my", L"profile.ini\rrest"});
  EXPECT_EQ(run.out.substr(0, run.out.find(L'\n')), L"Profile: " + folder + L"/my profile.ini");
  EXPECT_EQ(run.status, 1) << "no rule fires and there is no [default]";
}

// Keys as people write them, and as the desktops and Windows spell them.
TEST(KeysTest, ReadsModifiersAndOneKeyInAnyCase) {
  const struct {
    const wchar_t* text;
    const wchar_t* read;  // as keysText gives it back; null: refused
    const wchar_t* keysym;
    unsigned virtualKey;
  } cases[] = {
      {L"Super+T", L"Super+T", L"t", 'T'},
      {L"ctrl+ALT+n", L"Ctrl+Alt+N", L"n", 'N'},
      {L"Shift+Control+Alt+Super+5", L"Super+Ctrl+Alt+Shift+5", L"5", '5'},
      {L"F12", L"F12", L"F12", 0x7B},
      {L"Alt+f24", L"Alt+F24", L"F24", 0x87},
      {L"Super+return", L"Super+Return", L"Return", 0x0D},
      {L"Super+Page_Down", L"Super+Next", L"Next", 0x22},
      {L"Ctrl+space", L"Ctrl+space", L"space", 0x20},
      {L"T", nullptr, L"", 0},
      {L"Shift+T", nullptr, L"", 0},
      {L"F25", nullptr, L"", 0},
      {L"Super+F0", nullptr, L"", 0},
      {L"Super+Super+T", nullptr, L"", 0},
      {L"Super+T+U", nullptr, L"", 0},
      {L"Super+", nullptr, L"", 0},
      {L"Super+\u00e9", nullptr, L"", 0},
      {L"Hyper+T", nullptr, L"", 0},
      {L"", nullptr, L"", 0},
  };
  for (const auto& c : cases) {
    std::wstring problem;
    const std::optional<KeyChord> keys = parseKeys(c.text, problem);
    ASSERT_EQ(keys.has_value(), c.read != nullptr) << std::string(c.text, c.text + wcslen(c.text));
    if (!keys) {
      EXPECT_FALSE(problem.empty());
      continue;
    }
    EXPECT_EQ(keysText(*keys), c.read);
    EXPECT_EQ(keys->keysym, c.keysym);
    EXPECT_EQ(keys->virtualKey, c.virtualKey);
  }
}

KeyChord chord(const wchar_t* text) {
  std::wstring problem;
  return parseKeys(text, problem).value_or(KeyChord{});
}

// Each binding of the default mode as "keys|command|first line-end line".
std::vector<std::wstring> swayBindings(const std::wstring& text) {
  SwayVariables variables;
  std::vector<std::wstring> found;
  for (const SwayBinding& binding : readSwayConfig(splitLines(text), variables).bindings) {
    found.push_back((binding.keys ? keysText(*binding.keys) : L"-") + L"|" + binding.command +
                    L"|" + std::to_wstring(binding.lines.first) + L"-" +
                    std::to_wstring(binding.lines.end));
  }
  return found;
}

// sway's configuration read as sway reads it: variables (the longest name
// first), blocks, a brace on the next line, continued lines, flags; other
// modes and comments left out.
TEST(SwayConfigTest, FindsTheBindingsOfTheDefaultMode) {
  const struct {
    const wchar_t* text;
    std::vector<std::wstring> bindings;
  } cases[] = {
      {L"set $m Mod1\nset $mod Mod4\nbindsym $mod+t exec foot\n", {L"Super+T|exec foot|2-3"}},
      {L"bindsym {\n  Mod4+Return exec a\n  Ctrl+Mod1+F5 exec b\n}\n",
       {L"Super+Return|exec a|1-2", L"Ctrl+Alt+F5|exec b|2-3"}},
      {L"bindsym\n{\n  Mod4+z exec x\n}\n", {L"Super+Z|exec x|2-3"}},
      {L"mode \"resize\" {\n  bindsym Mod4+t exec x\n}\nbindsym Mod4+y exec y", {L"Super+Y|exec y|3-4"}},
      {L"bindsym Mod4+c \\\n  exec x\n# bindsym Mod4+d exec y\n", {L"Super+C|exec x|0-2"}},
      {L"bindsym --release --to-code Control+Mod4+r exec x\n", {L"Super+Ctrl+R|exec x|0-1"}},
      {L"bindsym Mod2+t exec x\nbindsym Shift+t exec y\n", {L"-|exec x|0-1", L"-|exec y|1-2"}},
  };
  for (const auto& c : cases) EXPECT_EQ(swayBindings(c.text), c.bindings) << c.text;
}

// The include line comes out as it went in, byte for byte, whether or not
// the file ended in a line feed.
TEST(SwayConfigTest, TakingOutAnAddedLineGivesTheTextBack) {
  for (const std::wstring text : {L"", L"a\n", L"a\nb", L"a\n\n"}) {
    const std::wstring added = withLineAdded(text, L"include ~/x");
    SwayVariables variables;
    const std::vector<std::wstring> lines = splitLines(added);
    const std::vector<SwayInclude> includes = readSwayConfig(lines, variables).includes;
    ASSERT_EQ(includes.size(), 1u);
    EXPECT_EQ(includes[0].pattern, L"~/x");
    EXPECT_EQ(withoutLines(lines, {includes[0].lines}), text);
  }
  EXPECT_EQ(execCommand(L"exec --no-startup-id '/t/tarvexel' '/p'"), L"'/t/tarvexel' '/p'");
  EXPECT_EQ(execCommand(L"kill"), L"");
}

// Each desktop's spelling, both ways; a modifier Tarvexel never binds
// makes keys that are never its own.
TEST(ConfigKeysTest, SpellsKeysAsEachDesktopDoes) {
  EXPECT_EQ(spelled(chord(L"Ctrl+Alt+F5"), kRcXmlKeys), L"C-A-F5");
  EXPECT_EQ(spelled(chord(L"Super+Shift+t"), kSwayKeys), L"Mod4+Shift+t");
  EXPECT_EQ(readSpelled(L"mod4-T", kRcXmlKeys), chord(L"Super+T"));
  EXPECT_EQ(readSpelled(L"S-W-Return", kRcXmlKeys), chord(L"Super+Shift+Return"));
  EXPECT_EQ(readSpelled(L"super+CONTROL+prior", kSwayKeys), chord(L"Super+Ctrl+Page_Up"));
  EXPECT_FALSE(readSpelled(L"H-t", kRcXmlKeys));
  EXPECT_FALSE(readSpelled(L"W-", kRcXmlKeys));
  const LaunchCommand command{L"/opt/my tools/tarvexel", L"/home/me/it's \"here\".ini"};
  EXPECT_EQ(commandWords(quotedCommand(command)),
            (std::vector<std::wstring>{command.program, command.profile}));
  EXPECT_EQ(profileOf(quotedCommand(command)), command.profile);
  EXPECT_EQ(profileOf(L"\"/usr/bin/tarvexel\" a\\ b.ini"), L"a b.ini");
  EXPECT_FALSE(profileOf(L"foot tarvexel"));
}

constexpr wchar_t kOpenboxFile[] =
    L"<?xml version=\"1.0\"?>\n<!-- mine -->\n<openbox_config xmlns=\"http://openbox.org/3.4/rc\">\n"
    L"<keyboard>\n  <!-- keys -->\n  <keybind key=\"W-e\">\n"
    L"    <action name=\"Execute\"><execute>kfm</execute></action>\n  </keybind>\n"
    L"  <keybind key=\"C-A-t W-u\"><action name=\"Execute\" command=\"foot\"/></keybind>\n"
    L"</keyboard>\n</openbox_config>\n";

// A keybind added and taken out again: the user's keybinds, in each form
// the two programs read, and comments stay; the file comes back byte for
// byte when it means again what it meant.
TEST(RcXmlTest, AddsAKeybindAndTakesItOut) {
  std::wstring why;
  const std::wstring command = L"'/usr/bin/tarvexel' '/home/me/t.ini'";
  const std::optional<std::wstring> bound =
      withKeybind(kOpenboxFile, kOpenboxRcXml, chord(L"Super+T"), command, why);
  ASSERT_TRUE(bound) << std::string(why.begin(), why.end());
  EXPECT_EQ(bound->substr(0, 48), std::wstring(kOpenboxFile).substr(0, 48));
  const auto keybinds = readKeybinds(*bound, kOpenboxRcXml, why);
  ASSERT_TRUE(keybinds);
  ASSERT_EQ(keybinds->size(), 3u);
  EXPECT_EQ((*keybinds)[0].command, L"kfm");
  EXPECT_EQ((*keybinds)[1].keys, (std::vector<KeyChord>{chord(L"Ctrl+Alt+T"), chord(L"Super+U")}));
  EXPECT_EQ((*keybinds)[1].command, L"foot");
  EXPECT_EQ((*keybinds)[2].key, L"W-t");
  EXPECT_EQ((*keybinds)[2].command, command);
  EXPECT_NE(bound->find(L"<!-- keys -->"), std::wstring::npos);
  const std::optional<std::wstring> original = std::wstring(kOpenboxFile);
  EXPECT_EQ(withoutKeybinds(*bound, kOpenboxRcXml, chord(L"Super+T"), original, why), original);
  const auto left = withoutKeybinds(*bound, kOpenboxRcXml, chord(L"Super+U"), original, why);
  EXPECT_EQ(left, bound) << "Super+U is the user's: it stays";
}

// labwc keeps its own keys only while the keyboard has <default/> or no
// keybind: the first keybind of Tarvexel's brings a <default/>, and the
// last takes it away again.
TEST(RcXmlTest, KeepsLabwcsOwnKeys) {
  const std::wstring file = L"<labwc_config><core><gap>4</gap></core></labwc_config>";
  std::wstring why;
  EXPECT_TRUE(isDefaultKey(file, kLabwcRcXml, chord(L"Super+A")));
  const auto bound = withKeybind(file, kLabwcRcXml, chord(L"Alt+F9"), L"tarvexel p", why);
  ASSERT_TRUE(bound);
  EXPECT_NE(bound->find(L"<default/>"), std::wstring::npos);
  EXPECT_TRUE(isDefaultKey(*bound, kLabwcRcXml, chord(L"Super+A")));
  EXPECT_FALSE(isDefaultKey(*bound, kLabwcRcXml, chord(L"Super+B")));
  EXPECT_EQ(withoutKeybinds(*bound, kLabwcRcXml, chord(L"Alt+F9"), file, why), file);
  const auto fresh = withKeybind(freshRcXml(kLabwcRcXml), kLabwcRcXml, chord(L"Alt+F9"), L"x", why);
  ASSERT_TRUE(fresh);
  EXPECT_EQ(fresh->find(L"<default/>"), fresh->rfind(L"<default/>")) << "one <default/>";
  for (const std::wstring wrong : {L"<openbox_config/>", L"<labwc_config>", L""}) {
    EXPECT_FALSE(readKeybinds(wrong, kLabwcRcXml, why)) << std::string(wrong.begin(), wrong.end());
    EXPECT_FALSE(withKeybind(wrong, kLabwcRcXml, chord(L"Alt+F9"), L"x", why));
  }
}

// Variables set for a test, and put back as they were after it.
class Environment {
 public:
  void set(const char* name, const std::string& value) {
    keep(name);
    setenv(name, value.c_str(), 1);
  }
  void unset(const char* name) {
    keep(name);
    unsetenv(name);
  }
  ~Environment() {
    for (const auto& [name, value] : kept_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

 private:
  void keep(const char* name) {
    if (kept_.count(name) != 0) return;
    const char* value = std::getenv(name);
    kept_[name] = value ? std::optional<std::string>(value) : std::nullopt;
  }
  std::map<std::string, std::optional<std::string>> kept_;
};

// The desktop from its own signals: sway and labwc by their variables,
// openbox by its name on an X display of its own (not through XWayland).
TEST(BindDesktopTest, TellsTheDesktopsThatKeepKeysInFiles) {
  const struct {
    const char* variable;
    const wchar_t* windowManager;
    bool wayland;
    const wchar_t* desktop;  // null: none Tarvexel binds keys on
  } cases[] = {
      {"SWAYSOCK", L"", true, L"sway"},          {"LABWC_PID", L"", true, L"labwc"},
      {"DISPLAY", L"Openbox", false, L"Openbox"}, {"DISPLAY", L"Openbox", true, nullptr},
      {"DISPLAY", L"twm", false, nullptr},
  };
  for (const auto& c : cases) {
    Environment environment;
    for (const char* name : {"SWAYSOCK", "LABWC_PID", "DISPLAY", "XDG_CURRENT_DESKTOP"}) {
      environment.unset(name);
    }
    environment.set(c.variable, "1");
    environment.set("WAYLAND_DISPLAY", c.wayland ? "wayland-1" : "");
    resetScripted();
    scripted().windowManager = c.windowManager;
    std::wstring desktop;
    const KeyBinder* binder = binderOfThisDesktop(desktop);
    EXPECT_EQ(binder != nullptr, c.desktop != nullptr) << c.variable;
    EXPECT_EQ(desktop, c.desktop != nullptr ? c.desktop : desktop);
  }
}

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// A home folder of the test's own, with the desktop's tools on PATH as
// scripts that write down how they were called.
class BindFilesTest : public testing::Test {
 protected:
  BindFilesTest() : profile_("[default]\n", "p.ini"), home_(profile_.folder()) {
    for (const char* tool : {"swaymsg", "openbox"}) {
      writeFile(home_ + "/bin/" + tool, "#!/bin/sh\necho \"$*\" >>" + home_ + "/calls\n");
      chmod((home_ + "/bin/" + tool).c_str(), 0755);
    }
    environment_.set("HOME", home_);
    environment_.set("PATH", home_ + "/bin:" + std::getenv("PATH"));
    environment_.set("XDG_CONFIG_DIRS", home_ + "/etc");
    for (const char* name : {"XDG_CONFIG_HOME", "SWAYSOCK", "LABWC_PID", "DISPLAY",
                             "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP"}) {
      environment_.unset(name);
    }
    resetScripted();
  }

  const KeyBinder& binder(const char* variable, const wchar_t* windowManager = L"") {
    environment_.set(variable, "1");
    scripted().windowManager = windowManager;
    std::wstring desktop;
    const KeyBinder* found = binderOfThisDesktop(desktop);
    if (found == nullptr) throw std::runtime_error("no binder");
    return *found;
  }

  BindResult bind(const KeyBinder& on, const wchar_t* keys) {
    return on.bind(chord(keys), {L"/usr/bin/tarvexel", profile_.widePath()}, false);
  }

  std::string calls() { return fileText(home_ + "/calls"); }

  TempFile profile_;
  const std::string home_;
  Environment environment_;
};

// The user's sway configuration, linked from a folder of dotfiles and not
// ending in a line feed, gains one include line, kept once; unbinding the
// last key gives it back byte for byte and takes Tarvexel's file away, also
// after the user moved a binding into the configuration by hand.
TEST_F(BindFilesTest, SwayKeepsTheUsersConfiguration) {
  const std::string mine = "set $mod Mod4\nbindsym $mod+u exec foot";
  const std::string config = home_ + "/.config/sway/config";
  writeFile(home_ + "/dots/sway", mine);
  std::filesystem::create_directories(home_ + "/.config/sway");
  std::filesystem::create_symlink(home_ + "/dots/sway", config);
  const KeyBinder& sway = binder("SWAYSOCK");
  EXPECT_TRUE(bind(sway, L"Super+T").done);
  EXPECT_TRUE(bind(sway, L"Ctrl+Alt+F5").done);
  EXPECT_FALSE(bind(sway, L"Super+U").done);
  EXPECT_EQ(fileText(config), mine + "\ninclude ~/.config/sway/tarvexel");
  EXPECT_TRUE(std::filesystem::is_symlink(config));
  EXPECT_EQ(fileText(config + ".tarvexel-backup"), mine);
  writeFile(home_ + "/dots/sway",
            mine + "\nbindsym Mod4+y exec tarvexel y.ini\ninclude ~/.config/sway/tarvexel");
  ASSERT_EQ(sway.bindings().size(), 3u);
  EXPECT_EQ(sway.bindings()[0].profile, L"y.ini") << "the user's configuration is read first";
  for (const wchar_t* keys : {L"Super+Y", L"Super+T", L"Ctrl+Alt+F5"}) {
    EXPECT_TRUE(sway.unbind(chord(keys)).done);
  }
  EXPECT_EQ(fileText(config), mine);
  EXPECT_FALSE(std::filesystem::exists(home_ + "/.config/sway/tarvexel"));
  EXPECT_EQ(calls(),
            "-- bindsym Mod4+t exec '/usr/bin/tarvexel' '" + profile_.path() + "'\n"
            "-- bindsym Ctrl+Mod1+F5 exec '/usr/bin/tarvexel' '" + profile_.path() + "'\n"
            "-- unbindsym Mod4+y\n-- unbindsym Mod4+t\n-- unbindsym Ctrl+Mod1+F5\n");
}

// A user without an rc.xml of their own gets the system's, which is also
// what the backup keeps; openbox is told to read it again each time.
TEST_F(BindFilesTest, OpenboxStartsFromTheSystemsRcXml) {
  const std::string system =
      "<?xml version=\"1.0\"?>\n<openbox_config>\n<keyboard>\n  <keybind key=\"W-e\">"
      "<action name=\"Execute\"><command>kfm</command></action></keybind>\n</keyboard>\n"
      "</openbox_config>\n";
  writeFile(home_ + "/etc/openbox/rc.xml", system);
  const std::string user = home_ + "/.config/openbox/rc.xml";
  const KeyBinder& openbox = binder("DISPLAY", L"Openbox");
  EXPECT_EQ(std::wstring(openbox.desktop), L"Openbox");
  EXPECT_FALSE(bind(openbox, L"Super+E").done);
  EXPECT_FALSE(std::filesystem::exists(user)) << "a refused bind writes nothing";
  EXPECT_TRUE(bind(openbox, L"Super+T").done);
  EXPECT_EQ(fileText(user + ".tarvexel-backup"), system);
  EXPECT_NE(fileText(user).find("<keybind key=\"W-t\">"), std::string::npos);
  EXPECT_TRUE(openbox.unbind(chord(L"Super+T")).done);
  EXPECT_EQ(fileText(user), system);
  EXPECT_EQ(calls(), "--reconfigure\n--reconfigure\n");
}

#if TARVEXEL_BIND_OVER_SESSION_BUS

// Profile paths a desktop must hand the launcher whole: blanks, quotes of
// both kinds, the characters a shell expands, a backslash, non-ASCII.
const wchar_t* const kAwkwardProfiles[] = {
    L"/home/u/mail.ini",     L"/home/u/my profiles/a b.ini", L"/home/u/it's.ini",
    L"/home/u/\"q\".ini",    L"/home/u/$HOME `x` *.ini",      L"/home/u/back\\slash.ini",
    L"/home/u/\u53d7\u4fe1.ini", L"/home/u/tab\there.ini",
};

// GNOME's command, as its settings daemon splits it; GSettings' text for
// it, as gsettings prints it back; KDE's Exec, as KDE reads it from the
// desktop file it is written to.
TEST(BindTest, CommandsGiveTheDesktopTheProfileWhole) {
  const std::wstring program = L"/opt/my apps/tarvexel";
  for (const wchar_t* profile : kAwkwardProfiles) {
    const std::vector<std::wstring> words{program, profile};
    const std::wstring gnome = shellQuoted(program) + L" " + shellQuoted(profile);
    EXPECT_EQ(commandWords(gnome), words) << gnome;
    EXPECT_EQ(gsettings::stringsIn(gsettings::literal(gnome)), std::vector<std::wstring>{gnome});
    const TempFile file("[Desktop Entry]\nExec=" + escapedValue(execOf(program, profile)) + "\n",
                        "net.local.tarvexel.desktop");
    std::map<std::string, std::wstring> entry = desktopEntry(file.path());
    EXPECT_EQ(execWords(entry["Exec"]), words) << file.contents();
  }
}

// The forms gsettings prints a list in, and GLib's escapes.
TEST(BindTest, ReadsGsettingsText) {
  EXPECT_EQ(gsettings::stringsIn("@as []"), std::vector<std::wstring>{});
  EXPECT_EQ(gsettings::stringsIn("['/a/custom0/', \"it's\", 'x\\\\y\\'z']"),
            (std::vector<std::wstring>{L"/a/custom0/", L"it's", L"x\\y'z"}));
  EXPECT_EQ(gsettings::stringsIn("'\\u00e9\\n\\U0001f600'"),
            std::vector<std::wstring>{L"\u00e9\n\U0001f600"});
  EXPECT_EQ(gsettings::listLiteral({L"/a/", L"it's"}), "['/a/', 'it\\'s']");
}

// One chord spelt as GNOME and KDE store it, and read back from there.
TEST(BindTest, KeysAsGnomeAndKdeKeepThem) {
  const struct {
    const wchar_t* keys;
    const wchar_t* accelerator;
    int qt;
  } cases[] = {
      {L"Super+T", L"<Super>t", 0x10000054},
      {L"Ctrl+Alt+Shift+F12", L"<Shift><Control><Alt>F12", 0x0F00003B},
      {L"Super+Page_Up", L"<Super>Prior", 0x11000016},
      {L"Alt+space", L"<Alt>space", 0x08000020},
      {L"Super+5", L"<Super>5", 0x10000035},
  };
  for (const auto& c : cases) {
    const KeyChord keys = chord(c.keys);
    EXPECT_EQ(acceleratorOf(keys), c.accelerator);
    EXPECT_EQ(chordOfAccelerator(c.accelerator), keys);
    EXPECT_EQ(kglobalaccel::qtKey(keys), c.qt);
    EXPECT_EQ(kglobalaccel::chordOfQtKey(c.qt), keys);
  }
  EXPECT_EQ(chordOfAccelerator(L"<Primary><Alt>T"), chord(L"Ctrl+Alt+T"));
  EXPECT_EQ(chordOfAccelerator(L"<Super>Page_Down"), chord(L"Super+Next"));
  EXPECT_FALSE(chordOfAccelerator(L""));
  EXPECT_FALSE(chordOfAccelerator(L"<Hyper>t"));
}

#endif

}  // namespace

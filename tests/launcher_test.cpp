// Rule selection, the section runner and program launch, call by call
// against the scripted platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "app/inspect/explain.h"
#include "app/inspect/profile_facts.h"
#include "launcher/launcher.h"
#include "tests/scripted_platform.h"
#include "tests/temp_file.h"

namespace {

using Calls = std::vector<std::wstring>;

struct SelectCase {
  const char* name;
  std::string profile;
  std::vector<ScriptedWindow> windows;
  int foreground;  // 1-based index into windows, 0 for none
  Calls expected;
};

void PrintTo(const SelectCase& c, std::ostream* out) { *out << c.name; }

class SelectTest : public testing::TestWithParam<SelectCase> {};

TEST_P(SelectTest, RunsExactlyTheChosenSection) {
  const SelectCase& c = GetParam();
  resetScripted();
  for (const ScriptedWindow& window : c.windows) scripted().addWindow(window.className, window.title);
  scripted().foreground = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(c.foreground));
  const TempFile file(c.profile);
  Profile profile(file.widePath());
  selectAndRun(profile);
  EXPECT_EQ(scripted().calls, c.expected);
}

const std::string kInbox =
    "[inbox]\nclass=X\nmode=active\nexec=close\n"
    "[default]\nexec=a.exe\nsleep=500\nexecSync=b.exe|-s\n";

INSTANTIATE_TEST_SUITE_P(
    Rules, SelectTest,
    testing::Values(
        SelectCase{"TypicalRunWindowInFront", kInbox, {{L"X", L"Inbox"}}, 1,
                   {L"FindShownWindow(X, null)", L"GetForegroundWindow()",
                    L"SendMessageTimeoutW(1, 16, 0, 0, 2, 1000)"}},
        SelectCase{"TypicalRunWindowBehind", kInbox, {{L"Y", L"Other"}, {L"X", L"Inbox"}}, 1,
                   {L"FindShownWindow(X, null)", L"GetForegroundWindow()",
                    L"ShellExecuteEx(a.exe, )",
                    L"CloseHandle(4097)", L"Sleep(500)", L"ShellExecuteEx(b.exe, -s)",
                    L"WaitForSingleObject(4098, 4294967295)", L"CloseHandle(4098)"}},
        SelectCase{"TypicalRunNoWindow", kInbox, {}, 0,
                   {L"FindShownWindow(X, null)", L"ShellExecuteEx(a.exe, )", L"CloseHandle(4097)",
                    L"Sleep(500)", L"ShellExecuteEx(b.exe, -s)",
                    L"WaitForSingleObject(4098, 4294967295)", L"CloseHandle(4098)"}},
        SelectCase{"FirstFiringRuleWinsAndLaterSectionsAreNotExamined",
                   "[a]\nclass=A\nmode=active\nexec=a\n[b]\ntitle=B\nexec=b\n[c]\nclass=C\nexec=c\n"
                   "[default]\nexec=d\n",
                   {{L"A", L"a"}, {L"Q", L"B"}, {L"C", L"c"}}, 3,
                   {L"FindShownWindow(A, null)", L"GetForegroundWindow()",
                    L"FindShownWindow(null, B)",
                    L"ShellExecuteEx(b, )", L"CloseHandle(4097)"}},
        SelectCase{"ClassAndTitleMustBothMatch",
                   "[r]\nclass=A\ntitle=T\nexec=active\n[default]\nexec=d\n",
                   {{L"A", L"other"}, {L"B", L"T"}, {L"A", L"T"}}, 0,
                   {L"FindShownWindow(A, T)", L"ActivateWindow(3)"}},
        SelectCase{"ModesAreExact",
                   "[a]\nclass=A\nmode=Active\nexec=a\n[b]\nclass=A\nmode=\nexec=b\n"
                   "[c]\nclass=A\nmode=exec \nexec=c\n[default]\nexec=d\n",
                   {{L"A", L"a"}}, 1,
                   {L"FindShownWindow(A, null)", L"FindShownWindow(A, null)",
                    L"FindShownWindow(A, null)",
                    L"ShellExecuteEx(d, )", L"CloseHandle(4097)"}},
        SelectCase{"DefaultWithAClassIsNoRule",
                   "[default]\nclass=A\nexec=close\n", {{L"A", L"a"}}, 1,
                   {L"ShellExecuteEx(close, )", L"CloseHandle(4097)"}},
        SelectCase{"SectionWithoutClassOrTitleIsSkipped",
                   "[tools]\nexec=t\n[default]\nexec=d\n", {{L"A", L"a"}}, 1,
                   {L"ShellExecuteEx(d, )", L"CloseHandle(4097)"}},
        SelectCase{"EntriesAboveTheFirstHeaderAreARule",
                   "title=T\nexec=close\n[default]\nexec=d\n", {{L"A", L"T"}}, 0,
                   {L"FindShownWindow(null, T)", L"SendMessageTimeoutW(1, 16, 0, 0, 2, 1000)"}},
        SelectCase{"CommandWordsAreExact",
                   "[r]\nclass=A\nexec=Close\nExec=x\nexec =y\nexecSync=close\nexec=active\n",
                   {{L"A", L"a"}}, 0,
                   {L"FindShownWindow(A, null)", L"ShellExecuteEx(Close, )", L"CloseHandle(4097)",
                    L"ShellExecuteEx(close, )", L"WaitForSingleObject(4098, 4294967295)",
                    L"CloseHandle(4098)", L"ActivateWindow(1)"}},
        SelectCase{"FiringRuleWithNoCommandsStillStopsTheWalk",
                   "[r]\nclass=A\nmode=exec\n[default]\nexec=d\n", {{L"A", L"a"}}, 0,
                   {L"FindShownWindow(A, null)"}},
        SelectCase{"NextWithOneMatchActivatesIt", "[r]\nclass=A\nexec=next\n",
                   {{L"B", L"b"}, {L"A", L"a"}, {L"C", L"c"}}, 0,
                   {L"FindShownWindow(A, null)", L"FindLeastRecentWindow(A, null)",
                    L"ActivateWindow(2)"}},
        SelectCase{"NextTakesTheLowestOfTheRulesWindows",
                   "[r]\nclass=A\nmode=active\nexec=next\n[default]\nexec=d\n",
                   {{L"A", L"1"}, {L"A", L"2"}, {L"B", L"b"}, {L"A", L"3"}, {L"C", L"c"}}, 1,
                   {L"FindShownWindow(A, null)", L"GetForegroundWindow()",
                    L"FindLeastRecentWindow(A, null)", L"ActivateWindow(4)"}},
        SelectCase{"NextByTitleAloneMatchesAnyClass", "[r]\ntitle=T\nexec=next\n",
                   {{L"A", L"T"}, {L"B", L"T"}, {L"C", L"U"}}, 0,
                   {L"FindShownWindow(null, T)", L"FindLeastRecentWindow(null, T)",
                    L"ActivateWindow(2)"}},
        SelectCase{"NextWithClassAndTitleMatchesBoth", "[r]\nclass=A\ntitle=T\nexec=next\n",
                   {{L"A", L"T"}, {L"A", L"T"}, {L"A", L"U"}, {L"B", L"T"}}, 0,
                   {L"FindShownWindow(A, T)", L"FindLeastRecentWindow(A, T)",
                    L"ActivateWindow(2)"}},
        SelectCase{"MinimizeAsksForTheRulesWindow",
                   "[r]\nclass=A\nmode=active\nexec=minimize\n[default]\nexec=d\n",
                   {{L"B", L"b"}, {L"A", L"a"}}, 2,
                   {L"FindShownWindow(A, null)", L"GetForegroundWindow()",
                    L"ShowWindowAsync(2, 6)"}},
        SelectCase{"TitleMatchComparesAPartOfTheTitle",
                   "[p]\ntitle=In\ntitleMatch=prefix\nexec=a\n"
                   "[s]\ntitle=box\ntitleMatch=suffix\nexec=close\n",
                   {{L"A", L"Outbox"}, {L"X", L"Inbox"}}, 0,
                   {L"FindShownWindow(null, In, prefix)", L"ShellExecuteEx(a, )",
                    L"CloseHandle(4097)"}},
        SelectCase{"TitleMatchContainsWithNextAndWorkspaceHere",
                   "[r]\ntitle=ai\ntitleMatch=contains\nworkspace=here\nexec=next\n",
                   {{L"A", L"Mail"}, {L"B", L"mAIl"}, {L"C", L"Paint"}}, 0,
                   {L"FindShownWindow(null, ai, contains)",
                    L"FindLeastRecentWindow(null, ai, contains)", L"BringWindowHere(3)"}},
        SelectCase{"UnknownRefinementsNeverFire",
                   "[a]\ntitle=In\ntitleMatch=Prefix\nexec=a\n[b]\ntitle=In\ntitleMatch=\nexec=b\n"
                   "[c]\nclass=X\nworkspace=there\nexec=c\n[default]\nexec=d\n",
                   {{L"X", L"In"}}, 0,
                   {L"FindShownWindow(null, In)", L"FindShownWindow(null, In)",
                    L"FindShownWindow(X, null)", L"ShellExecuteEx(d, )", L"CloseHandle(4097)"}},
        SelectCase{"TitleMatchWithoutTitleIsPassedOver",
                   "[r]\nclass=X\ntitleMatch=bogus\nworkspace=here\nexec=active\n",
                   {{L"X", L"x"}}, 0, {L"FindShownWindow(X, null)", L"BringWindowHere(1)"}},
        SelectCase{"InDefaultTheWordsArePrograms",
                   "[r]\nclass=Z\nexec=next\n[default]\nexec=next\nexec=minimize\n",
                   {{L"A", L"a"}}, 1,
                   {L"FindShownWindow(Z, null)", L"ShellExecuteEx(next, )", L"CloseHandle(4097)",
                    L"ShellExecuteEx(minimize, )", L"CloseHandle(4098)"}},
        SelectCase{"ExecSyncNextAndNearMissesArePrograms",
                   "[r]\nclass=A\nexecSync=next\nexec=Next\nexec=minimise\n",
                   {{L"A", L"a"}, {L"A", L"b"}}, 0,
                   {L"FindShownWindow(A, null)", L"ShellExecuteEx(next, )",
                    L"WaitForSingleObject(4097, 4294967295)", L"CloseHandle(4097)",
                    L"ShellExecuteEx(Next, )", L"CloseHandle(4098)",
                    L"ShellExecuteEx(minimise, )", L"CloseHandle(4099)"}}),
    [](const testing::TestParamInfo<SelectCase>& info) { return info.param.name; });

// Watching the walk changes nothing of it: the same platform calls in the
// same order, the same section and window.
TEST_P(SelectTest, AnObserverChangesNothing) {
  const SelectCase& c = GetParam();
  const auto chooseWith = [&c](const RuleObserver& observe) {
    resetScripted();
    for (const ScriptedWindow& w : c.windows) scripted().addWindow(w.className, w.title);
    scripted().foreground = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(c.foreground));
    const TempFile file(c.profile);
    Profile profile(file.widePath());
    const Selection selection = selectSection(profile, observe);
    std::vector<std::wstring> seen = scripted().calls;
    seen.push_back(std::to_wstring(reinterpret_cast<std::uintptr_t>(selection.window)));
    for (const ProfileEntry& entry : selection.entries) {
      seen.push_back(std::wstring(entry.key + L"=" + entry.value));
    }
    return seen;
  };
  long heard = 0;
  EXPECT_EQ(chooseWith(nullptr), chooseWith([&heard](const RuleCheck&) { ++heard; }));
  const Calls& calls = scripted().calls;
  EXPECT_EQ(heard, std::count_if(calls.begin(), calls.end(), [](const std::wstring& call) {
              return call.rfind(L"FindShownWindow", 0) == 0;
            })) << "one check for each rule looked at";
}

// What the launcher chose, in the words explain uses for it.
std::wstring chosenInWords(Profile& profile) {
  try {
    const Selection selection = selectSection(profile);
    for (const ProfileSection& section : profile.sections()) {
      if (&section.entries != &selection.entries) continue;
      std::wstringstream words;
      words << L"Would run: " << sectionLabel(section.name) << L", ";
      if (selection.window == nullptr) {
        words << L"as no rule fires";
      } else {
        words << L"against 0x" << std::hex << reinterpret_cast<std::uintptr_t>(selection.window);
      }
      return words.str();
    }
  } catch (const ProfileLookupError&) {
  }
  return L"Would run: nothing";
}

// explain tells of every row what the launcher does there: the same
// section, against the same window.
TEST_P(SelectTest, ExplainAgreesWithTheLauncher) {
  const SelectCase& c = GetParam();
  const auto setUp = [&c] {
    resetScripted();
    for (const ScriptedWindow& w : c.windows) scripted().addWindow(w.className, w.title);
    scripted().foreground = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(c.foreground));
  };
  const TempFile file(c.profile);
  setUp();
  Profile profile(file.widePath());
  const std::wstring chosen = chosenInWords(profile);
  setUp();
  const std::wstring report = explainProfile(file.widePath()).report;
  EXPECT_NE(report.find(L"\n" + chosen), std::wstring::npos) << "launcher: " << chosen;
}

TEST(SelectTest, TheObserverHearsEveryRuleAsTheWalkDecides) {
  resetScripted();
  scripted().addWindow(L"A", L"a");
  const HWND b = scripted().addWindow(L"B", L"b");
  scripted().foreground = b;
  const TempFile file(
      "[tools]\nexec=t\n[gone]\nclass=Z\n[behind]\nclass=A\nmode=active\n"
      "[odd]\ntitle=a\nmode=Active\n[hit]\nclass=B\ntitle=b\n[later]\nclass=A\n"
      "[default]\nexec=d\n");
  Profile profile(file.widePath());
  std::vector<std::wstring> heard;
  const Selection selection = selectSection(profile, [&heard](const RuleCheck& check) {
    heard.push_back(std::wstring(check.section.name + L" " + check.className + L"/" +
                                 check.title + L"/" + check.mode) +
                    L" " +
                    std::to_wstring(reinterpret_cast<std::uintptr_t>(check.window)) + L" " +
                    std::to_wstring(reinterpret_cast<std::uintptr_t>(check.foreground)) +
                    (check.fires ? L" fires" : L""));
  });
  EXPECT_EQ(heard, (std::vector<std::wstring>{L"gone Z//exec 0 0", L"behind A//active 1 2",
                                              L"odd /a/Active 1 0", L"hit B/b/exec 2 0 fires"}));
  EXPECT_EQ(selection.window, b);
}

TEST(SelectTest, RecordsTheRuleDefaultsInTheWalkedSections) {
  resetScripted();
  const TempFile file("[r]\nclass=A\nexec=x\n[s]\nexec=y\n[default]\nexec=d\n");
  Profile profile(file.widePath());
  selectAndRun(profile);
  EXPECT_EQ(profile.getValue(L"r", L"title"), L"");
  EXPECT_EQ(profile.getValue(L"r", L"mode"), L"exec");
  EXPECT_EQ(profile.getValue(L"s", L"class"), L"");
  EXPECT_THROW(profile.getValue(L"s", L"mode"), ProfileLookupError) << "no rule, no mode";
  EXPECT_THROW(profile.getValue(L"default", L"class"), ProfileLookupError);
  EXPECT_EQ(file.contents(), "[r]\nclass=A\nexec=x\n[s]\nexec=y\n[default]\nexec=d\n");
}

TEST(SelectTest, NoRuleAndNoDefaultLaunchesNothingAndRaises) {
  resetScripted();
  const TempFile file("[r]\nclass=A\nexec=x\n");
  Profile profile(file.widePath());
  EXPECT_THROW(selectAndRun(profile), ProfileLookupError);
  EXPECT_EQ(scripted().calls, Calls{L"FindShownWindow(A, null)"});
}

struct LaunchCase {
  const wchar_t* value;
  std::optional<std::wstring> file;  // nullopt: the shell is not asked
  std::wstring parameters;
};

TEST(LaunchTest, SplitCommandGivesWhatTheShellIsHanded) {
  EXPECT_EQ(splitCommand(L"a.exe|b|c").file, L"a.exe");
  EXPECT_EQ(splitCommand(L"a.exe|b|c").parameters, L"b|c");
  EXPECT_EQ(splitCommand(L"a b").file, L"a b");
  EXPECT_EQ(splitCommand(L"a b").parameters, L"");
}

TEST(LaunchTest, SplitsAtTheFirstBarAndFillsTheRequest) {
  const std::vector<LaunchCase> cases = {
      {L"a.exe", L"a.exe", L""},           {L"a.exe|b|c", L"a.exe", L"b|c"},
      {L"a.exe|", L"a.exe", L""},          {L"a.exe |b", L"a.exe ", L"b"},
      {L"\"a b\"|\"c\"", L"\"a b\"", L"\"c\""}, {L"|b", std::nullopt, L""},
      {L"", std::nullopt, L""},
  };
  for (const LaunchCase& c : cases) {
    resetScripted();
    const HANDLE process = launchCommand(c.value);
    if (!c.file) {
      EXPECT_EQ(process, nullptr);
      EXPECT_TRUE(scripted().requests.empty()) << c.value;
      continue;
    }
    EXPECT_NE(process, nullptr);
    ASSERT_EQ(scripted().requests.size(), 1u);
    const RecordedRequest& request = scripted().requests[0];
    EXPECT_EQ(request.cbSize, sizeof(SHELLEXECUTEINFO));
    EXPECT_EQ(request.fMask, SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC);
    EXPECT_EQ(request.hwnd, nullptr);
    EXPECT_EQ(request.verb, std::wstring(L"Open"));
    EXPECT_EQ(request.file, c.file);
    EXPECT_EQ(request.parameters, c.parameters) << "empty parameters are a string, not null";
    EXPECT_EQ(request.directory, std::nullopt);
    EXPECT_EQ(request.nShow, SW_SHOWNORMAL) << "shown as Explorer starts programs";
  }
}

TEST(RunSectionTest, WaitsOnlyForAProcessThatWasStarted) {
  resetScripted();
  scripted().failingFiles = {L"missing"};
  scripted().processlessFiles = {L"doc"};
  const ProfileEntries entries = {{L"execSync", L"missing"}, {L"execSync", L"doc"},
                                  {L"exec", L"missing"},     {L"execSync", L"|x"},
                                  {L"execSync", L"b"},       {L"exec", L"c"}};
  runSection({entries, nullptr});
  EXPECT_EQ(scripted().calls,
            (Calls{L"ShellExecuteEx(missing, )", L"ShellExecuteEx(doc, )",
                   L"ShellExecuteEx(missing, )", L"ShellExecuteEx(b, )",
                   L"WaitForSingleObject(4097, 4294967295)", L"CloseHandle(4097)",
                   L"ShellExecuteEx(c, )", L"CloseHandle(4098)"}));
}

TEST(RunSectionTest, OtherKeysDoNothing) {
  resetScripted();
  const ProfileEntries entries = {
      {L"class", L"A"}, {L"title", L"T"}, {L"mode", L"active"}, {L"EXEC", L"x"}};
  runSection({entries, reinterpret_cast<HWND>(1)});
  EXPECT_TRUE(scripted().calls.empty());
}

TEST(RunSectionTest, NextFallsBackToTheRulesWindowWhenNoneMatchesAnyMore) {
  resetScripted();
  const HWND window = scripted().addWindow(L"A", L"a");
  const ProfileEntries entries = {{L"exec", L"next"}};
  runSection({entries, window, L"Gone", L""});
  EXPECT_EQ(scripted().calls, (Calls{L"FindLeastRecentWindow(Gone, null)", L"ActivateWindow(1)"}));
}

// One key pressed again and again, the profile read afresh each time.
std::vector<HWND> pressRepeatedly(const std::string& profileText, int presses) {
  const TempFile file(profileText);
  std::vector<HWND> inFront;
  for (int press = 0; press < presses; ++press) {
    Profile profile(file.widePath());
    selectAndRun(profile);
    inFront.push_back(scripted().foreground);
  }
  return inFront;
}

TEST(WindowWordsTest, NextVisitsEveryWindowOfTheRuleLowestFirst) {
  resetScripted();
  const HWND one = scripted().addWindow(L"A", L"1");
  scripted().addWindow(L"B", L"b");
  const HWND two = scripted().addWindow(L"A", L"2");
  const HWND three = scripted().addWindow(L"A", L"3");
  EXPECT_EQ(pressRepeatedly("[r]\nclass=A\nexec=next\n", 4),
            (std::vector<HWND>{three, two, one, three}));
}

TEST(WindowWordsTest, AMinimisedWindowStillFiresAndActiveBringsItBack) {
  resetScripted();
  const HWND window = scripted().addWindow(L"A", L"a");
  scripted().addWindow(L"B", L"b");
  pressRepeatedly("[r]\nclass=A\nexec=minimize\n", 1);
  EXPECT_TRUE(scripted().window(window).minimized);
  EXPECT_EQ(pressRepeatedly("[r]\nclass=A\nexec=active\n[default]\nexec=d\n", 1),
            std::vector<HWND>{window});
  EXPECT_FALSE(scripted().window(window).minimized);
  EXPECT_EQ(scripted().calls,
            (Calls{L"FindShownWindow(A, null)", L"ShowWindowAsync(1, 6)",
                   L"FindShownWindow(A, null)",
                   L"ActivateWindow(1)"}));
}

TEST(SleepTest, ReadsTheLeadingNumberAndNeverWaitsForEver) {
  const std::vector<std::pair<std::wstring, DWORD>> cases = {
      {L"500", 500},
      {L"2s", 2},
      {L"", 0},
      {L"s2", 0},
      {L" \t+7x", 7},
      {L"-5", 0},
      {L"-0", 0},
      {L"+-3", 0},
      {L"4294967294", 4294967294u},
      {L"4294967295", 4294967294u},
      {L"99999999999999999999999", 4294967294u},
      {L"０", 0},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(sleepMilliseconds(value), expected) << std::string(value.begin(), value.end());
  }
}

}  // namespace

// The entry point: the command line, the notice and the exit status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/services.h"
#include "tests/scripted_platform.h"
#include "tests/temp_file.h"

namespace {

const std::wstring kNotice =
    L"MessageBoxW(0, 設定画面が開く予定ですが、まだ作成中です。\nごめんなさいm(_ _)m, Tarvexel, 0)";

int runWith(std::wstring commandLine) {
  resetScripted();
  return WinMain(nullptr, nullptr, commandLine.data(), 0);
}

TEST(WinMainTest, EmptyCommandLineShowsTheNotice) {
  for (const wchar_t* line : {L"", L"\r", L"\rprofile.ini"}) {
    EXPECT_EQ(runWith(line), 0);
    EXPECT_EQ(scripted().calls, std::vector<std::wstring>{kNotice});
  }
}

TEST(WinMainTest, ExitStatusTellsWhetherASectionRan) {
  const TempFile good("[default]\nexec=a\n");
  const TempFile noDefault("[r]\nclass=A\nexec=a\n");
  const TempFile failingLaunch("[default]\nexec=missing\n");
  const std::wstring path = good.widePath();
  struct Case {
    std::wstring line;
    int status;
    std::vector<std::wstring> calls;
  };
  const std::vector<Case> cases = {
      {path, 0, {L"ShellExecuteEx(a, )", L"CloseHandle(4097)"}},
      {path + L"\r--more text", 0, {L"ShellExecuteEx(a, )", L"CloseHandle(4097)"}},
      {L"\"" + path + L"\"", 1, {}},
      {L" " + path, 1, {}},
      {path + L".missing", 1, {}},
      {noDefault.widePath(), 1, {L"FindShownWindow(A, null)"}},
      {failingLaunch.widePath(), 0, {L"ShellExecuteEx(missing, )"}},
  };
  for (const Case& c : cases) {
    resetScripted();
    scripted().failingFiles = {L"missing"};
    std::wstring line = c.line;
    EXPECT_EQ(WinMain(nullptr, nullptr, line.data(), 0), c.status);
    EXPECT_EQ(scripted().calls, c.calls);
  }
}

}  // namespace

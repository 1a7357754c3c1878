// The program's whole life: the command line names a profile; run it and
// say through the exit status whether that worked.
#include <new>

#if defined(_WIN32) && !defined(_WIN32_WCE)
#include "platform/win32/com_apartment.h"
#endif

#include "launcher/launcher.h"
#include "platform/services.h"
#include "profile/profile.h"

namespace {

constexpr int kRan = 0;
constexpr int kFailed = 1;

int runProfile(const std::wstring& path) {
  Profile profile(path);
  if (profile.loadFailed()) return kFailed;
  try {
    selectAndRun(profile);
  } catch (const ProfileLookupError&) {
    return kFailed;
  }
  return kRan;
}

int runCommandLine(const wchar_t* commandLine) {
  std::wstring path = commandLine;
  // The path is used verbatim: quotes and blanks are part of it; only a
  // carriage return, and whatever follows it, goes.
  const std::size_t carriageReturn = path.find(L'\r');
  if (carriageReturn != std::wstring::npos) path.resize(carriageReturn);
  if (path.empty()) {
    MessageBoxW(nullptr, L"設定画面が開く予定ですが、まだ作成中です。\nごめんなさいm(_ _)m",
                L"Tarvexel", MB_OK);
    return kRan;
  }
  return runProfile(path);
}

}  // namespace

// Desktop Windows enters through the wide wWinMain; Windows CE's WinMain and
// the POSIX main() both hand over a wide command line as well.
#if defined(_WIN32) && !defined(_WIN32_WCE)
int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
  // The shell may hand a verb to an extension that wants a single-threaded
  // apartment, and fails the launch quietly without one. (Windows CE's COM
  // has only the multithreaded kind, and its shell needs none.)
  const ComApartment apartment;
  // Memory running out ends the run as a failure, quietly.
  try {
    return runCommandLine(commandLine);
  } catch (const std::bad_alloc&) {
    return kFailed;
  }
}
#else
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
  return runCommandLine(commandLine);
}
#endif

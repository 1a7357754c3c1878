// A program for the launcher to start: writes down that it started, when,
// and with which arguments, and can take its time before it ends, so a test
// can tell whether the launcher waited for it.
//
//   recorder.exe RECORD LABEL [MILLISECONDS [ARGUMENT...]]
//
// RECORD gets "LABEL start TIME", one "LABEL arg ARGUMENT" per argument, and
// after the pause "LABEL end TIME" (TIME in milliseconds since 1970).
#include <windows.h>

#include <cwchar>

#include "tests/wine/record.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  const std::vector<std::wstring> args = arguments();
  if (args.size() < 2) return 2;
  const std::wstring& file = args[0];
  const std::wstring& label = args[1];
  record(file, label + L" start " + std::to_wstring(unixMilliseconds()));
  for (std::size_t i = 3; i < args.size(); ++i) record(file, label + L" arg " + args[i]);
  if (args.size() > 2) {
    Sleep(static_cast<DWORD>(std::wcstoul(args[2].c_str(), nullptr, 10)));
    record(file, label + L" end " + std::to_wstring(unixMilliseconds()));
  }
  return 0;
}

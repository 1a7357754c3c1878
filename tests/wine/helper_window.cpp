// A top-level window for the launcher to find, close or bring to the front.
// It writes down what was done to it:
//
//   helper_window.exe RECORD CLASS TITLE [BEHAVIOUR]
//
// It shows itself as it was started (as Notepad does), or as BEHAVIOUR says:
// "hidden" never shows it; "topmost" keeps it above other windows; "hangs"
// stops taking messages for 30 s once it is up; "asks" answers a close
// request with a question and closes only on "Yes"; "brief" closes itself
// once it is up.
//
// RECORD gets "ready" once the window is up and shown ("ready hidden" when it
// is not), "activated" whenever it becomes the active window, "minimized"
// and "restored" when IsIconic changes (looked at every 50 ms: Wine without
// a window manager minimises without a WM_SIZE), "close" when it is asked to
// close, and "answer" for each WM_APP posted to it: posted messages come in
// order, so once it answers, whatever was posted to it before has come.
#include <windows.h>

#include "tests/wine/record.h"

namespace {

constexpr DWORD kHangMilliseconds = 30000;

std::wstring recordFile;
std::wstring behaviour;
bool iconic = false;

void recordIconic(HWND window) {
  if (static_cast<bool>(IsIconic(window)) == iconic) return;
  iconic = !iconic;
  record(recordFile, iconic ? L"minimized" : L"restored");
}

void close(HWND window) {
  record(recordFile, L"close");
  if (behaviour == L"asks" &&
      MessageBoxW(window, L"Save your work?", L"TvxQuestion", MB_YESNO) != IDYES) {
    return;
  }
  DestroyWindow(window);
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) record(recordFile, L"activated");
      break;
    case WM_TIMER:
      recordIconic(window);
      return 0;
    case WM_APP:
      record(recordFile, L"answer");
      return 0;
    case WM_CLOSE:
      close(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show) {
  const std::vector<std::wstring> args = arguments();
  if (args.size() != 3 && args.size() != 4) return 2;
  recordFile = args[0];
  if (args.size() == 4) behaviour = args[3];
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  windowClass.lpszClassName = args[1].c_str();
  if (!RegisterClassW(&windowClass)) return 1;
  const DWORD extendedStyle = behaviour == L"topmost" ? WS_EX_TOPMOST : 0;
  const HWND window = CreateWindowExW(extendedStyle, args[1].c_str(), args[2].c_str(),
                                      WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 320, 200,
                                      nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  if (behaviour != L"hidden") ShowWindow(window, show);
  UpdateWindow(window);
  SetTimer(window, 1, 50, nullptr);
  record(recordFile, IsWindowVisible(window) ? L"ready" : L"ready hidden");
  if (behaviour == L"hangs") Sleep(kHangMilliseconds);
  if (behaviour == L"brief") PostMessageW(window, WM_CLOSE, 0, 0);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

// A top-level window for the launcher to find, close or bring to the front.
// It writes down what was done to it:
//
//   helper_window.exe RECORD CLASS TITLE
//
// RECORD gets "ready" once the window is shown, "activated" whenever it
// becomes the active window, "minimized" and "restored" when IsIconic
// changes (looked at every 50 ms: Wine without a window manager minimises
// without a WM_SIZE), "close" when it is asked to close, which it then
// does, and "answer" for each WM_APP posted to it: posted messages come in
// order, so once it answers, whatever was posted to it before has come.
#include <windows.h>

#include "tests/wine/record.h"

namespace {

std::wstring recordFile;
bool iconic = false;

void recordIconic(HWND window) {
  if (static_cast<bool>(IsIconic(window)) == iconic) return;
  iconic = !iconic;
  record(recordFile, iconic ? L"minimized" : L"restored");
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
      record(recordFile, L"close");
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  const std::vector<std::wstring> args = arguments();
  if (args.size() != 3) return 2;
  recordFile = args[0];
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  windowClass.lpszClassName = args[1].c_str();
  if (!RegisterClassW(&windowClass)) return 1;
  const HWND window = CreateWindowExW(0, args[1].c_str(), args[2].c_str(), WS_OVERLAPPEDWINDOW,
                                      CW_USEDEFAULT, CW_USEDEFAULT, 320, 200, nullptr, nullptr,
                                      instance, nullptr);
  if (window == nullptr) return 1;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  SetTimer(window, 1, 50, nullptr);
  record(recordFile, L"ready");
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

// Window services where there are no windows: nothing is ever found, so only
// the section "default" runs.
#include "platform/services.h"

HWND FindWindowW(LPCWSTR, LPCWSTR) { return nullptr; }

HWND GetForegroundWindow() { return nullptr; }

BOOL SetForegroundWindow(HWND) { return 0; }

LRESULT SendMessageW(HWND, UINT, WPARAM, LPARAM) { return 0; }

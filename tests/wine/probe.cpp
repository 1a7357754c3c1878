// Looks at the desktop on the test's behalf:
//
//   probe.exe RECORD front
//       records "front TITLE", the title of the window in front.
//   probe.exe RECORD read CAPTION MILLISECONDS
//       waits that long at most for a window with that caption; records
//       "class CLASS" and "text TEXT" (the text of its labels) and succeeds
//       when it is there.
//   probe.exe RECORD dismiss CAPTION MILLISECONDS
//       the same wait, then presses the box's OK button.
//   probe.exe RECORD dialogs
//       records "dialog CAPTION: TEXT" for every dialog box on the desktop.
#include <windows.h>

#include "tests/wine/record.h"

namespace {

std::wstring textOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring classOf(HWND window) {
  wchar_t name[256];
  return std::wstring(name, static_cast<std::size_t>(GetClassNameW(window, name, 256)));
}

BOOL CALLBACK takeLabelText(HWND child, LPARAM text) {
  if (classOf(child) != L"Static" || GetWindowTextLengthW(child) == 0) return TRUE;
  *reinterpret_cast<std::wstring*>(text) = textOf(child);
  return FALSE;
}

// A message box's text is the one label that has any.
std::wstring labelText(HWND box) {
  std::wstring text;
  EnumChildWindows(box, takeLabelText, reinterpret_cast<LPARAM>(&text));
  return text;
}

HWND waitForWindow(const std::wstring& caption, DWORD milliseconds) {
  const ULONGLONG until = GetTickCount64() + milliseconds;
  for (;;) {
    const HWND window = FindWindowW(nullptr, caption.c_str());
    if (window != nullptr || GetTickCount64() >= until) return window;
    Sleep(50);
  }
}

BOOL CALLBACK recordDialog(HWND window, LPARAM file) {
  if (IsWindowVisible(window) && classOf(window) == L"#32770") {
    record(*reinterpret_cast<const std::wstring*>(file),
           L"dialog " + textOf(window) + L": " + labelText(window));
  }
  return TRUE;
}

void recordDialogs(const std::wstring& file) {
  EnumWindows(recordDialog, reinterpret_cast<LPARAM>(&file));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  const std::vector<std::wstring> args = arguments();
  if (args.size() < 2) return 2;
  const std::wstring& file = args[0];
  const std::wstring& mode = args[1];
  if (mode == L"front") {
    record(file, L"front " + textOf(GetForegroundWindow()));
    return 0;
  }
  if (mode == L"dialogs") {
    recordDialogs(file);
    return 0;
  }
  if (args.size() != 4) return 2;
  const HWND box = waitForWindow(args[2], static_cast<DWORD>(std::stoul(args[3])));
  if (box == nullptr) return 1;
  if (mode == L"read") {
    record(file, L"class " + classOf(box));
    record(file, L"text " + labelText(box));
  } else if (mode == L"dismiss") {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
  } else {
    return 2;
  }
  return 0;
}

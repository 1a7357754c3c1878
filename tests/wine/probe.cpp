// Looks at the desktop on the test's behalf:
//
//   probe.exe RECORD front
//       records "front TITLE", the title of the window in front.
//   probe.exe RECORD read CAPTION MILLISECONDS
//       waits that long at most for a window with that caption; records
//       "class CLASS" and "text TEXT" (the text of its labels) and succeeds
//       when it is there and its thread answers: it is in its message loop.
//   probe.exe RECORD dismiss CAPTION MILLISECONDS
//       the same wait, then presses the box's OK button.
//   probe.exe RECORD dialogs
//       records "dialog CAPTION: TEXT" for every dialog box on the desktop.
//   probe.exe RECORD ask CLASS
//       posts WM_APP to the window of that class (a helper window answers
//       it); fails when there is none.
//   probe.exe RECORD shortcut FILE
//       records "hotkey 0xHHHH", "program PATH" and "arguments TEXT" of the
//       shortcut FILE, as the shell reads it.
//   probe.exe RECORD gone PROGRAM MILLISECONDS
//       waits that long at most until no process runs PROGRAM (recorder.exe),
//       so that whatever such a process was to write has been written;
//       fails when one is still running.
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdio>

#include "platform/win32/com_apartment.h"
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

bool isRunning(const std::wstring& program) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return true;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
       more = Process32NextW(snapshot, &entry)) {
    found = lstrcmpiW(entry.szExeFile, program.c_str()) == 0;
  }
  CloseHandle(snapshot);
  return found;
}

bool waitUntilGone(const std::wstring& program, DWORD milliseconds) {
  const ULONGLONG until = GetTickCount64() + milliseconds;
  for (;;) {
    if (!isRunning(program)) return true;
    if (GetTickCount64() >= until) return false;
    Sleep(50);
  }
}

// A window in a modal loop still answers sent messages.
bool answers(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

bool recordShortcut(const std::wstring& file, const std::wstring& shortcut) {
  const ComApartment apartment;
  IShellLinkW* link = nullptr;
  IPersistFile* persisted = nullptr;
  bool read = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IShellLinkW, reinterpret_cast<void**>(&link))) &&
              SUCCEEDED(link->QueryInterface(IID_IPersistFile,
                                             reinterpret_cast<void**>(&persisted))) &&
              SUCCEEDED(persisted->Load(shortcut.c_str(), STGM_READ));
  WORD hotKey = 0;
  wchar_t program[MAX_PATH] = {}, arguments[INFOTIPSIZE] = {}, hex[8];
  read = read && SUCCEEDED(link->GetHotkey(&hotKey)) &&
         SUCCEEDED(link->GetPath(program, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
         SUCCEEDED(link->GetArguments(arguments, INFOTIPSIZE));
  if (persisted != nullptr) persisted->Release();
  if (link != nullptr) link->Release();
  if (!read) return false;
  std::swprintf(hex, 8, L"0x%04x", hotKey);
  record(file, std::wstring(L"hotkey ") + hex);
  record(file, std::wstring(L"program ") + program);
  record(file, std::wstring(L"arguments ") + arguments);
  return true;
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
  if (mode == L"shortcut" && args.size() == 3) return recordShortcut(file, args[2]) ? 0 : 1;
  if (mode == L"ask" && args.size() == 3) {
    const HWND window = FindWindowW(args[2].c_str(), nullptr);
    return window != nullptr && PostMessageW(window, WM_APP, 0, 0) ? 0 : 1;
  }
  if (args.size() != 4) return 2;
  if (mode == L"gone") return waitUntilGone(args[2], static_cast<DWORD>(std::stoul(args[3]))) ? 0 : 1;
  const HWND box = waitForWindow(args[2], static_cast<DWORD>(std::stoul(args[3])));
  if (box == nullptr) return 1;
  if (mode == L"read") {
    record(file, L"class " + classOf(box));
    record(file, L"text " + labelText(box));
    if (!answers(box)) return 1;
  } else if (mode == L"dismiss") {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
  } else {
    return 2;
  }
  return 0;
}

#include "tests/scripted_platform.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include "platform/window_list.h"

namespace {

ScriptedPlatform state;
ScriptedPlatform* const current = &state;

std::wstring number(const void* handle) {
  return std::to_wstring(reinterpret_cast<std::uintptr_t>(handle));
}

std::wstring text(LPCWSTR value) { return value == nullptr ? L"null" : value; }

std::optional<std::wstring> copy(LPCWSTR value) {
  return value == nullptr ? std::nullopt : std::optional<std::wstring>(value);
}

bool matches(LPCWSTR wanted, const std::wstring& actual) { return !wanted || actual == wanted; }

bool matches(HWND handle, LPCWSTR className, LPCWSTR title, TitleMatch titleMatch) {
  const ScriptedWindow& window = current->window(handle);
  return matches(className, window.className) &&
         (title == nullptr || titleMatches(window.title, title, titleMatch));
}

// A search as the calls record it: the title's comparison only when it is
// not the whole title.
std::wstring search(LPCWSTR className, LPCWSTR title, TitleMatch titleMatch) {
  static const wchar_t* const kNames[] = {L"", L", prefix", L", suffix", L", contains"};
  return text(className) + L", " + text(title) + kNames[static_cast<int>(titleMatch)];
}

}  // namespace

HWND ScriptedPlatform::addWindow(std::wstring className, std::wstring title) {
  windows.push_back({std::move(className), std::move(title)});
  const HWND handle = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(windows.size()));
  stack.push_back(handle);
  return handle;
}

ScriptedWindow& ScriptedPlatform::window(HWND handle) {
  return windows.at(reinterpret_cast<std::uintptr_t>(handle) - 1);
}

void ScriptedPlatform::moveTo(HWND handle, bool top) {
  stack.erase(std::find(stack.begin(), stack.end(), handle));
  stack.insert(top ? stack.begin() : stack.end(), handle);
}

ScriptedPlatform& scripted() { return *current; }

void resetScripted() { state = ScriptedPlatform{}; }

int MessageBoxW(HWND owner, LPCWSTR body, LPCWSTR caption, UINT type) {
  current->calls.push_back(L"MessageBoxW(" + number(owner) + L", " + text(body) + L", " +
                           text(caption) + L", " + std::to_wstring(type) + L")");
  return 1;
}

HWND FindShownWindow(LPCWSTR className, LPCWSTR title, TitleMatch titleMatch) {
  current->calls.push_back(L"FindShownWindow(" + search(className, title, titleMatch) + L")");
  const auto& stack = current->stack;
  const auto found = std::find_if(stack.begin(), stack.end(), [&](HWND window) {
    return matches(window, className, title, titleMatch);
  });
  return found == stack.end() ? nullptr : *found;
}

HWND FindLeastRecentWindow(LPCWSTR className, LPCWSTR title, TitleMatch titleMatch) {
  current->calls.push_back(L"FindLeastRecentWindow(" + search(className, title, titleMatch) +
                           L")");
  const auto& stack = current->stack;
  const auto found = std::find_if(stack.rbegin(), stack.rend(), [&](HWND window) {
    return matches(window, className, title, titleMatch);
  });
  return found == stack.rend() ? nullptr : *found;
}

HWND GetForegroundWindow() {
  current->calls.push_back(L"GetForegroundWindow()");
  return current->foreground;
}

BOOL SetForegroundWindow(HWND window) {
  current->calls.push_back(L"SetForegroundWindow(" + number(window) + L")");
  current->foreground = window;
  return 1;
}

namespace {

// Activation as a task bar gives it: restored, on top, in front. There is
// one workspace here, so a window brought here is simply activated.
BOOL activate(const wchar_t* call, HWND window) {
  current->calls.push_back(call + (L"(" + number(window) + L")"));
  current->foreground = window;
  current->window(window).minimized = false;
  current->moveTo(window, true);
  return 1;
}

}  // namespace

BOOL ActivateWindow(HWND window) { return activate(L"ActivateWindow", window); }

BOOL BringWindowHere(HWND window) { return activate(L"BringWindowHere", window); }

std::wstring WhyWindowsStayOnTheirWorkspace() { return current->whyWindowsStay; }

BOOL ShowWindowAsync(HWND window, int command) {
  current->calls.push_back(L"ShowWindowAsync(" + number(window) + L", " + std::to_wstring(command) +
                           L")");
  const bool wasVisible = !current->window(window).minimized;
  if (command == SW_MINIMIZE) {
    current->window(window).minimized = true;
    if (current->foreground == window) current->foreground = nullptr;
    current->moveTo(window, false);
  }
  return wasVisible;
}

LRESULT SendMessageTimeoutW(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                            UINT milliseconds, DWORD_PTR*) {
  current->calls.push_back(L"SendMessageTimeoutW(" + number(window) + L", " +
                           std::to_wstring(message) + L", " + std::to_wstring(wParam) + L", " +
                           std::to_wstring(lParam) + L", " + std::to_wstring(flags) + L", " +
                           std::to_wstring(milliseconds) + L")");
  return 0;
}

BOOL ShellExecuteEx(SHELLEXECUTEINFO* request) {
  current->calls.push_back(L"ShellExecuteEx(" + text(request->lpFile) + L", " +
                           text(request->lpParameters) + L")");
  current->requests.push_back({request->cbSize, request->fMask, request->hwnd,
                               copy(request->lpVerb), copy(request->lpFile),
                               copy(request->lpParameters), copy(request->lpDirectory),
                               request->nShow});
  const std::wstring file = text(request->lpFile);
  if (current->failingFiles.count(file)) return 0;
  request->hProcess = current->processlessFiles.count(file)
                          ? nullptr
                          : reinterpret_cast<HANDLE>(
                                static_cast<std::uintptr_t>(0x1000 + ++current->processesStarted));
  return 1;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  current->calls.push_back(L"WaitForSingleObject(" + number(handle) + L", " +
                           std::to_wstring(milliseconds) + L")");
  return 0;
}

BOOL CloseHandle(HANDLE handle) {
  current->calls.push_back(L"CloseHandle(" + number(handle) + L")");
  return 1;
}

void Sleep(DWORD milliseconds) {
  current->calls.push_back(L"Sleep(" + std::to_wstring(milliseconds) + L")");
}

// The companion program's calls only look: they are not written down.
std::vector<WindowDescription> ListTopLevelWindows() {
  std::vector<WindowDescription> list;
  for (std::size_t i = 0; i < current->windows.size(); ++i) {
    const HWND handle = reinterpret_cast<HWND>(i + 1);
    WindowDescription window;
    window.handle = handle;
    window.classes = {current->windows[i].className};
    window.title = current->windows[i].title;
    window.front = handle == current->foreground;
    window.minimized = current->windows[i].minimized;
    if (current->stableIds) {
      wchar_t id[24];
      std::swprintf(id, 24, L"0x%zx", i + 1);
      window.id = id;
    }
    list.push_back(std::move(window));
  }
  return list;
}

std::wstring DescribeWindowSystem() { return current->systemName; }

std::wstring WindowManagerName() { return current->windowManager; }

std::wstring WhyNoWindowIsInFront() { return current->whyNoneInFront; }

OpenPlan PlanOpen(const std::wstring& file, const std::wstring& parameters) {
  const auto plan = current->plans.find(file);
  if (plan != current->plans.end()) return plan->second;
  return {OpenPlan::Outcome::shellDecides, file, {parameters}, {}};
}

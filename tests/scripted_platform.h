// A stand-in for the operating system, linked into the unit tests in place
// of the real services: windows are what the test says, launches succeed or
// fail as told, sleeps return at once, and every call is written down.
#ifndef TARVEXEL_TESTS_SCRIPTED_PLATFORM_H
#define TARVEXEL_TESTS_SCRIPTED_PLATFORM_H

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/services.h"

// A shell request as the launcher filled it, its strings copied.
struct RecordedRequest {
  DWORD cbSize;
  ULONG fMask;
  HWND hwnd;
  std::optional<std::wstring> verb;
  std::optional<std::wstring> file;
  std::optional<std::wstring> parameters;
  std::optional<std::wstring> directory;
  int nShow;
};

struct ScriptedWindow {
  std::wstring className;
  std::wstring title;
  bool minimized = false;
};

struct ScriptedPlatform {
  // Handle n is windows[n - 1], in the order they were added.
  std::vector<ScriptedWindow> windows;
  // The stacking order, topmost first: windows are added at the bottom,
  // activating one puts it on top and minimising it at the bottom, as
  // Windows does.
  std::vector<HWND> stack;
  HWND foreground = nullptr;
  std::set<std::wstring> failingFiles;    // the shell reports failure
  std::set<std::wstring> processlessFiles;  // success, but no process handle
  std::wstring systemName = L"scripted desktop";
  std::wstring whyNoneInFront;
  std::wstring whyWindowsStay;  // WhyWindowsStayOnTheirWorkspace's answer
  // The X11 window manager's name, as WindowManagerName gives it.
  std::wstring windowManager;
  // Whether the listing names windows by ids of the desktop's own (as
  // Windows, X11 and GNOME do), or gives none (as wlroots).
  bool stableIds = true;
  // What PlanOpen answers for a file; a file not here goes to the shell.
  std::map<std::wstring, OpenPlan> plans;
  std::vector<std::wstring> calls;
  std::vector<RecordedRequest> requests;
  int processesStarted = 0;

  HWND addWindow(std::wstring className, std::wstring title);
  ScriptedWindow& window(HWND handle);
  void moveTo(HWND handle, bool top);
};

// The one platform the scripted services act on; reset by every test.
ScriptedPlatform& scripted();
void resetScripted();

#endif

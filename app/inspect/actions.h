// What each entry of the section that would run would do, told without
// doing it: the launch through the platform's own decision (PlanOpen), the
// window actions, the sleep after clamping.
#ifndef TARVEXEL_APP_INSPECT_ACTIONS_H
#define TARVEXEL_APP_INSPECT_ACTIONS_H

#include <string>
#include <vector>

#include "platform/services.h"
#include "profile/profile.h"

// The windows a rule's section acts on: the rule's window (null for
// "default"), and the one exec=next would bring forward.
struct RuleWindows {
  HWND window;
  HWND next;
  bool bringHere = false;  // "workspace=here"
};

// One line per entry, "key=value: what it does"; `windows` names the
// rule's windows.
std::wstring describeEntries(const ProfileEntries& entries, const RuleWindows& rule,
                             const std::vector<WindowDescription>& windows);

// What opening an "exec" value would do; `waits` for "execSync".
std::wstring describeLaunch(const std::wstring& value, bool waits);

#endif

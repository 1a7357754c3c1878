// Choosing the one section to run, running it, and starting programs.
#ifndef TARVEXEL_LAUNCHER_LAUNCHER_H
#define TARVEXEL_LAUNCHER_LAUNCHER_H

#include <functional>
#include <string>
#include <string_view>

#include "platform/services.h"
#include "profile/profile.h"

// The section a run carries out, and the window it acts on.
struct Selection {
  const ProfileEntries& entries;
  HWND window;  // the rule's window; null for "default"
  // The rule's "class" and "title" as the profile gives them (empty when a
  // key is missing, and for "default"): "next" looks for the rule's windows
  // again when its entry is reached.
  ProfileString className{};
  ProfileString title{};
  TitleMatch titleMatch = TitleMatch::exact;
  // "workspace=here": the window comes to the user's workspace.
  bool bringHere = false;
};

// What the walk found for one window rule it looked at. The references last
// only as long as the call that hands the check over.
struct RuleCheck {
  const ProfileSection& section;
  const ProfileString& className;
  const ProfileString& title;
  const ProfileString& mode;
  // "titleMatch" and "workspace" as given; null when the rule has none (or,
  // for "titleMatch", no title, which makes it meaningless).
  const ProfileString* titleMatch;
  const ProfileString* workspace;
  HWND window;      // the window found, or null
  HWND foreground;  // the window in front, when the mode made the walk ask; else null
  bool fires;
};

using RuleObserver = std::function<void(const RuleCheck&)>;

// The first window rule that fires, with its window, or else the section
// "default" with no window. Asks only about windows and changes none of
// them. Raises ProfileLookupError when the fallback is needed and there is
// no "default". `observe`, when given, hears of every rule the walk looks
// at, in that order, as it decides; it changes nothing the walk does.
Selection selectSection(Profile& profile, const RuleObserver& observe = nullptr);

// Runs what selectSection chooses.
void selectAndRun(Profile& profile);

// Carries out the selection's "exec", "execSync" and "sleep" entries in
// order, against the rule's window if there is one.
void runSection(const Selection& selection);

// An "exec" value's two parts: the file before the first "|", and the
// parameters after it (empty when there is no "|").
struct CommandParts {
  std::wstring file;
  std::wstring parameters;
};

CommandParts splitCommand(const std::wstring& value);

// Starts what an "exec" value names, split as splitCommand does. Null when
// nothing was started or no process is known.
HANDLE launchCommand(const std::wstring& value);
HANDLE shellOpen(const std::wstring& file, const std::wstring& parameters);

// The milliseconds a "sleep" value asks for: a leading decimal number, as
// the C run-time's _wtol reads it, held between 0 and the longest finite wait.
DWORD sleepMilliseconds(std::wstring_view value);

#endif

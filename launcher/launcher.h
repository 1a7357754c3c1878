// Choosing the one section to run, running it, and starting programs.
#ifndef TARVEXEL_LAUNCHER_LAUNCHER_H
#define TARVEXEL_LAUNCHER_LAUNCHER_H

#include <string>

#include "platform/services.h"
#include "profile/profile.h"

// The section a run carries out, and the window it acts on.
struct Selection {
  const ProfileEntries& entries;
  HWND window;  // the rule's window; null for "default"
  // The rule's "class" and "title" as the profile gives them (empty when a
  // key is missing, and for "default"): "next" looks for the rule's windows
  // again when its entry is reached.
  std::wstring className{};
  std::wstring title{};
};

// The first window rule that fires, with its window, or else the section
// "default" with no window. Asks only about windows and changes none of
// them. Raises ProfileLookupError when the fallback is needed and there is
// no "default".
Selection selectSection(Profile& profile);

// Runs what selectSection chooses.
void selectAndRun(Profile& profile);

// Carries out the selection's "exec", "execSync" and "sleep" entries in
// order, against the rule's window if there is one.
void runSection(const Selection& selection);

// Starts what an "exec" value names: the file before the first "|", the
// parameters after it. Null when nothing was started or no process is known.
HANDLE launchCommand(const std::wstring& value);
HANDLE shellOpen(const std::wstring& file, const std::wstring& parameters);

// The milliseconds a "sleep" value asks for: a leading decimal number, as
// the C run-time's _wtol reads it, held between 0 and the longest finite wait.
DWORD sleepMilliseconds(const std::wstring& value);

#endif

// Choosing the one section to run, running it, and starting programs.
#ifndef TARVEXEL_LAUNCHER_LAUNCHER_H
#define TARVEXEL_LAUNCHER_LAUNCHER_H

#include <string>
#include <string_view>

#include "platform/services.h"
#include "profile/profile.h"

// Runs the first window rule that fires against its window, or else the
// section "default" with no window. Raises ProfileLookupError when the
// fallback is needed and there is no "default".
void selectAndRun(Profile& profile);

// Carries out "exec", "execSync" and "sleep" entries in order; `window` is
// the rule's window, or null for "default".
void runSection(const ProfileEntries& entries, HWND window);

// Starts what an "exec" value names: the file before the first "|", the
// parameters after it. Null when nothing was started or no process is known.
HANDLE launchCommand(const std::wstring& value);
HANDLE shellOpen(const std::wstring& file, const std::wstring& parameters);

// The milliseconds a "sleep" value asks for: a leading decimal number, as
// the C run-time's _wtol reads it, held between 0 and the longest finite wait.
DWORD sleepMilliseconds(std::wstring_view value);

#endif

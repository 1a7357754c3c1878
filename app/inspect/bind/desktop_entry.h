// Desktop files (the freedesktop.org Desktop Entry format): the one group
// KDE reads a command shortcut from, and the quoting of its Exec.
#ifndef TARVEXEL_APP_INSPECT_BIND_DESKTOP_ENTRY_H
#define TARVEXEL_APP_INSPECT_BIND_DESKTOP_ENTRY_H

#include <map>
#include <string>
#include <vector>

// The keys of the file's [Desktop Entry] group (those without a locale),
// their values unescaped; empty when the file cannot be read.
std::map<std::string, std::wstring> desktopEntry(const std::string& path);

// The Exec value that runs the program with the profile. The program is
// as the format has it, bare or in double quotes, for that is all KWin
// reads when it matches a program with its desktop file. The profile is in
// a POSIX shell's single quotes, which KDE 5 and 6 both read back whole,
// where they take the format's escapes in double quotes each its own way
// (Plasma 5.27 keeps the backslash of \$). Neither may hold a %, which the
// format would double and Plasma 5.27 drops an argument for.
std::wstring execOf(const std::wstring& program, const std::wstring& profile);

// The words of an Exec value, as KDE splits it to start the program.
std::vector<std::wstring> execWords(const std::wstring& exec);

// A value as a desktop file holds it: UTF-8, with \ \n \t \r escaped.
std::string escapedValue(const std::wstring& value);

// The folders the desktops look their data up in (desktop files in
// applications/, GNOME Shell's extensions), the user's own first:
// $XDG_DATA_HOME, then those of $XDG_DATA_DIRS.
std::vector<std::string> dataFolders();

#endif

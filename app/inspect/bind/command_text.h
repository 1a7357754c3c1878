// A bound command as text: the words a desktop splits it into before it
// starts it (so that `bindings` names the profile as the key hands it
// over), and the name it shows for it.
#ifndef TARVEXEL_APP_INSPECT_BIND_COMMAND_TEXT_H
#define TARVEXEL_APP_INSPECT_BIND_COMMAND_TEXT_H

#include <string>
#include <vector>

#include "app/inspect/bind/keys.h"

// The words of `command` as a POSIX shell splits them, without expanding
// anything: blanks part words; '...' keeps everything; "..." keeps all but
// a backslash before $ ` " \ or a line end; a backslash elsewhere keeps the
// character after it. GLib (g_shell_parse_argv, which GNOME's settings
// daemon uses) and KDE (KShell::splitArgs, for a desktop file's Exec) split
// a command the same way.
std::vector<std::wstring> commandWords(const std::wstring& command);

// The profile a command of Tarvexel's hands the launcher: its second word.
std::wstring profileOf(const std::wstring& command);

// The name a desktop shows for the binding of a profile: "Tarvexel: " and
// the profile's file name.
std::wstring titleFor(const std::wstring& profile);

// Why a bind is refused where Tarvexel already bound the keys.
std::wstring boundAlready(const KeyChord& keys, const std::wstring& profile);

// Whether a path can be written as text in the desktops' stores (GLib's
// settings, desktop files), which hold UTF-8 only: utf8::widenLossless
// carries bytes that are not as lone surrogates.
bool isText(const std::wstring& path);

#endif

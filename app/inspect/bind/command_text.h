// A bound command as text: the name a desktop shows for it, and what its
// stores can hold. (Its words, as a desktop splits them, are commandWords
// in binder.h: GLib's g_shell_parse_argv, which GNOME's settings daemon
// uses, and KDE's KShell::splitArgs, for a desktop file's Exec, split a
// command as a POSIX shell does.)
#ifndef TARVEXEL_APP_INSPECT_BIND_COMMAND_TEXT_H
#define TARVEXEL_APP_INSPECT_BIND_COMMAND_TEXT_H

#include <string>
#include <vector>

#include "app/inspect/bind/keys.h"

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

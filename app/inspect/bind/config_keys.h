// What the desktops that keep their keys in a configuration file of their
// own (sway, labwc, openbox) have in common: keys spelled with the
// desktop's own modifier names, and the command of a binding of
// Tarvexel's, written and read back.
#ifndef TARVEXEL_APP_INSPECT_BIND_CONFIG_KEYS_H
#define TARVEXEL_APP_INSPECT_BIND_CONFIG_KEYS_H

#include <optional>
#include <string>

#include "app/inspect/bind/binder.h"
#include "app/inspect/bind/keys.h"

// How a desktop spells the keys: its names of the modifiers and what joins
// them. `others` are further names of the same modifiers it also takes.
struct KeySpelling {
  const wchar_t* super;
  const wchar_t* ctrl;
  const wchar_t* alt;
  const wchar_t* shift;
  wchar_t joiner;
  const wchar_t* const* others;  // pairs: a name, then ours ("Mod1", "Alt"); null ends them
};

extern const KeySpelling kSwayKeys;    // Mod4+Ctrl+Mod1+Shift+t
extern const KeySpelling kRcXmlKeys;   // W-C-A-S-t, as openbox and labwc write keys

std::wstring spelled(const KeyChord& keys, const KeySpelling& spelling);

// The chord a desktop's spelling names, in any letter case; empty for one
// that Tarvexel could never bind (another modifier, a mouse button, a key
// with no modifier), which therefore never clashes with one of its own.
std::optional<KeyChord> readSpelled(const std::wstring& text, const KeySpelling& spelling);

// The launcher and the profile, each in single quotes, as a POSIX shell and
// GLib's g_shell_parse_argv (openbox, labwc) read them back.
std::wstring quotedCommand(const LaunchCommand& command);

// The profile of a command that runs tarvexel: its first argument; empty
// when the command does not run tarvexel.
std::optional<std::wstring> profileOf(const std::wstring& command);

// Why a bind is refused: the keys are taken, and `holder` (a line or
// keybind, and where it is) holds them; `ours` when it runs tarvexel, which
// --replace would replace.
std::wstring takenMessage(const KeyChord& keys, const std::wstring& desktop,
                          const std::wstring& holder, bool ours);

// Why an unbind is refused: no binding of Tarvexel's on the keys, and
// `holder`, where there is one, is the user's.
std::wstring notOursMessage(const KeyChord& keys, const std::wstring& desktop,
                            const std::wstring& holder);

#endif

// Keys as GNOME stores them: an accelerator such as "<Super>t" or
// "<Primary><Alt>Delete", GTK's spelling, which the shell grabs.
#ifndef TARVEXEL_APP_INSPECT_BIND_ACCELERATOR_H
#define TARVEXEL_APP_INSPECT_BIND_ACCELERATOR_H

#include <optional>
#include <string>

#include "app/inspect/bind/keys.h"

// The accelerator for the chord.
std::wstring acceleratorOf(const KeyChord& keys);

// The chord an accelerator stands for, in the spelling KeyChord uses, so
// that two spellings of one chord compare equal ("<Control>T" and
// "<Primary>t"); empty for an empty or disabled one, and for one with a
// modifier Tarvexel never binds (Hyper, Meta), which no chord of ours is.
std::optional<KeyChord> chordOfAccelerator(const std::wstring& accelerator);

#endif

// Binding a key to a profile, each desktop its own way. A desktop is one
// KeyBinder table; the commands in bind_commands.cpp find the table of the
// desktop they run on and go through it.
#ifndef TARVEXEL_APP_INSPECT_BIND_BINDER_H
#define TARVEXEL_APP_INSPECT_BIND_BINDER_H

#include <string>
#include <vector>

#include "app/inspect/bind/keys.h"

// What a bound key runs: the launcher installed beside this program, with
// the profile's absolute path. Each desktop quotes the two as it requires.
struct LaunchCommand {
  std::wstring program;
  std::wstring profile;
};

// A binding of Tarvexel's as the desktop's store holds it: one whose
// command runs tarvexel, also after the user edited it by hand.
struct Binding {
  KeyChord keys;
  std::wstring profile;  // what the command hands tarvexel, unquoted
};

// How a request went: `done` false when the desktop refused it (a taken
// key, a key it cannot bind), `message` saying what was done or why not.
struct BindResult {
  bool done = false;
  std::wstring message;
};

struct KeyBinder {
  const wchar_t* desktop;  // for people: "sway", "GNOME", "Windows"
  // Tarvexel's bindings, read from the desktop's store.
  std::vector<Binding> (*bindings)();
  // Binds the keys at once and for good. A key already bound is refused,
  // naming what holds it, unless `replace` is set and the binding there is
  // Tarvexel's own.
  BindResult (*bind)(const KeyChord& keys, const LaunchCommand& command, bool replace);
  // Removes Tarvexel's binding of the keys and nothing else.
  BindResult (*unbind)(const KeyChord& keys);
  // What the launcher itself still needs on this desktop, one line each;
  // empty when it has everything. May be null.
  std::vector<std::wstring> (*missing)();
};

// A command's words as a POSIX shell splits them, quotes and backslashes
// taken away (nothing expanded): what a binding's command runs, and with
// which arguments.
std::vector<std::wstring> commandWords(const std::wstring& command);

// Whether a command, as a desktop's store holds it, runs tarvexel: its
// program (the first word, unquoted) is named tarvexel or tarvexel.exe.
bool runsTarvexel(const std::wstring& command);

// A word as a POSIX shell reads it back: as it is when it holds nothing
// the shell would change, else in single quotes.
std::wstring shellQuoted(const std::wstring& word);

// The desktop this program runs on, from its own signals, or null when it
// is none Tarvexel can bind keys on; `desktop` then names what was found.
const KeyBinder* binderOfThisDesktop(std::wstring& desktop);

#endif

// A sway configuration file as far as key bindings go: its bindsym lines
// of the default mode, its includes and its variables, read the way sway
// reads them (comments, lines continued by a backslash, blocks in braces,
// $variables), each with the lines of the file it takes, so that a
// binding can be changed or taken out and every other line stays as it is.
#ifndef TARVEXEL_APP_INSPECT_BIND_SWAY_CONFIG_H
#define TARVEXEL_APP_INSPECT_BIND_SWAY_CONFIG_H

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/inspect/bind/keys.h"

// The lines [first, end) of a file, as splitLines numbers them.
struct LineSpan {
  std::size_t first = 0;
  std::size_t end = 0;
};

struct SwayBinding {
  std::optional<KeyChord> keys;  // empty: keys Tarvexel could never bind
  std::wstring command;          // what the keys run ("exec foot")
  std::wstring written;          // the line as the file has it, for people
  LineSpan lines;
};

struct SwayInclude {
  std::wstring pattern;  // as sway hands it to wordexp: "~/.config/sway/tarvexel"
  LineSpan lines;
};

// Variables in the order sway tries them: the longest name first.
using SwayVariables = std::vector<std::pair<std::wstring, std::wstring>>;

struct SwayConfig {
  std::vector<SwayBinding> bindings;
  std::vector<SwayInclude> includes;
};

// The file's lines, each with its line feed (the last may have none):
// joined again they are the text.
std::vector<std::wstring> splitLines(const std::wstring& text);

// Reads one file, given the variables set before it; sets those it sets.
SwayConfig readSwayConfig(const std::vector<std::wstring>& lines, SwayVariables& variables);

// The text with a line added at its end, and with lines taken out, such
// that taking out the line added gives back the text byte for byte, also
// when it did not end in a line feed.
std::wstring withLineAdded(const std::wstring& text, const std::wstring& line);
std::wstring withoutLines(const std::vector<std::wstring>& lines, std::vector<LineSpan> spans);

// What a binding runs when it runs a command of the shell: the command
// after "exec" (and its --no-startup-id); empty for anything else.
std::wstring execCommand(const std::wstring& command);

#endif

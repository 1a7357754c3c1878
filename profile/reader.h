// The profile file format.
//
// A profile is a text file read line by line; a line ends at a line feed.
// Each line is, tested in this order:
//   blank    - it is empty: ignored.
//   comment  - its first character is "#": ignored.
//   header   - its first character is "[" and its last "]": the name between
//              them becomes the current section (it may be empty, and inner
//              brackets belong to it). A repeated name continues that section.
//   entry    - anything else: split at the first "=" into key and value and
//              added to the current section; a line without "=" is filed with
//              the whole line as both key and value.
// Nothing is trimmed: blanks, tabs and carriage returns are part of the text,
// so " [a]" is an entry and "exec =x" has the key "exec ". Lines above the
// first header go to the section with the empty name. A NUL ends a line's
// text; U+FFFF ends the file. A line longer than kMaxLineChars - 1 characters
// makes the whole profile unusable (loadFailed), so that nothing read from a
// cut line can ever run. Lengths are counted as Windows counts them, in
// UTF-16 code units: a character beyond U+FFFF (an emoji) counts two.
#ifndef TARVEXEL_PROFILE_READER_H
#define TARVEXEL_PROFILE_READER_H

#include <cstddef>
#include <functional>
#include <string>

class Profile;

// A line's characters and its terminator, as the original line buffer held them.
constexpr std::size_t kMaxLineChars = 1024;

using LineSink = std::function<void(const std::wstring& line)>;

// Reads the lines of the profile's file in order, handing each to `take` as
// soon as it ends, so that only the profile itself and not a copy of the
// file's lines has to fit in memory; closes the file when done. Sets
// loadFailed when the file cannot be opened or holds an overlong line: what
// was handed over by then is not to be used.
void loadLines(Profile& profile, const LineSink& take);

// Fills the profile from its file, filing each line by its kind; returns
// loadFailed. The profile stays empty when loading failed.
bool parseLines(Profile& profile);

#endif

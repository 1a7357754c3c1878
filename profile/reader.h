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
// cut line can ever run.
#ifndef TARVEXEL_PROFILE_READER_H
#define TARVEXEL_PROFILE_READER_H

#include <cstddef>

class Profile;

// A line's characters and its terminator, as the original line buffer held them.
constexpr std::size_t kMaxLineChars = 1024;

// Fills the profile from its file, filing each line as it is read, and
// closes the file; returns loadFailed. The profile stays empty, with
// loadFailed set, when the file cannot be opened or holds an overlong line.
bool parseLines(Profile& profile);

#endif

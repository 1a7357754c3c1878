// Windows written for a person (aligned columns) or for a script (tab-
// separated values).
#ifndef TARVEXEL_APP_INSPECT_WINDOW_TABLE_H
#define TARVEXEL_APP_INSPECT_WINDOW_TABLE_H

#include <string>
#include <vector>

#include "platform/services.h"

// One line per window under a heading: a "*" for the window in front, its
// id where the desktop gives ids, every name "class" matches and its title
// (quoted, so blanks at the ends show), and whether it is minimised.
std::wstring windowTable(const std::vector<WindowDescription>& windows);

// One line per window: front (1 or 0), handle, title, then each class name,
// separated by tabs; a tab, line feed, carriage return or backslash in a
// name is written \t, \n, \r or \\.
std::wstring windowValues(const std::vector<WindowDescription>& windows);

// A window in one line: its id ("the window" where the desktop gives
// none), class names and title.
std::wstring windowInWords(const WindowDescription& window);

// The window of that handle in `windows`, described in words; the bare
// handle when it is not among them.
std::wstring windowInWords(HWND handle, const std::vector<WindowDescription>& windows);

#endif

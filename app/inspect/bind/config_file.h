// The user's configuration files, as the bindings of sway, labwc and
// openbox change them: read whole, written whole (a new file renamed over
// the old, so that a desktop reading it meanwhile sees one or the other),
// and kept as they were before Tarvexel first changed them.
#ifndef TARVEXEL_APP_INSPECT_BIND_CONFIG_FILE_H
#define TARVEXEL_APP_INSPECT_BIND_CONFIG_FILE_H

#include <optional>
#include <string>
#include <vector>

// The file's bytes as a wide string (utf8::widenLossless, so that writing
// it back gives the same bytes), or empty with `why` set when it cannot be
// read. `missing` tells a file that is not there from one that fails.
std::optional<std::wstring> readConfig(const std::wstring& path, std::wstring& why,
                                       bool* missing = nullptr);

bool configExists(const std::wstring& path);

// Writes `text` as the file's bytes, making its folder if need be; keeps
// the mode of the file it replaces.
bool writeConfig(const std::wstring& path, const std::wstring& text, std::wstring& why);

// Before Tarvexel first changes a file: a copy beside it, PATH.tarvexel-
// backup, made once and never overwritten. True when it is there (or the
// file is not, and there is nothing to keep).
bool keepBackup(const std::wstring& path, std::wstring& why);
// The same for a file Tarvexel makes from the system's: what it started
// from is the system's text.
bool keepAsBackup(const std::wstring& path, const std::wstring& text, std::wstring& why);

bool removeConfig(const std::wstring& path, std::wstring& why);

// The path with its links resolved; the path itself where it is not there.
std::wstring resolvedPath(const std::wstring& path);

// $HOME (empty when it is not an absolute path).
std::wstring homeFolder();

// $XDG_CONFIG_HOME, or ~/.config.
std::wstring configHome();

// $XDG_CONFIG_DIRS, or /etc/xdg: where the system's own configuration is.
std::vector<std::wstring> systemConfigFolders();

// The folder a path is in, and a path relative to `folder` made absolute.
std::wstring folderOf(const std::wstring& path);
std::wstring pathFrom(const std::wstring& folder, const std::wstring& path);

// The path with the user's home folder written "~", for messages.
std::wstring forPeople(const std::wstring& path);

#endif

// Likely mistakes in a profile: things the launcher takes exactly as they
// are written, and so silently does something else than meant.
#ifndef TARVEXEL_APP_INSPECT_WARNINGS_H
#define TARVEXEL_APP_INSPECT_WARNINGS_H

#include <optional>
#include <string>
#include <vector>

#include "profile/profile.h"

// One sentence per mistake, in file order; empty when none is seen. Read
// from the profile as loaded, before any lookup recorded a default in it.
std::vector<std::wstring> profileWarnings(const Profile& profile);

// A file saved as UTF-16 (a byte-order mark, or NUL bytes between the
// letters) loads as text of no use; said in a sentence with what to do.
std::optional<std::wstring> encodingWarning(const std::wstring& path);

#endif

// Likely mistakes in a profile: things the launcher takes exactly as they
// are written, and so silently does something else than meant.
#ifndef TARVEXEL_APP_INSPECT_WARNINGS_H
#define TARVEXEL_APP_INSPECT_WARNINGS_H

#include <string>
#include <vector>

#include "profile/profile.h"

// One sentence per mistake, in file order; empty when none is seen. Read
// from the profile as loaded, before any lookup recorded a default in it.
std::vector<std::wstring> profileWarnings(const Profile& profile);

#endif

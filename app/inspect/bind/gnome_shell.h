// What the launcher needs of GNOME Shell itself, which lists its windows to
// no program but through Tarvexel's extension.
#ifndef TARVEXEL_APP_INSPECT_BIND_GNOME_SHELL_H
#define TARVEXEL_APP_INSPECT_BIND_GNOME_SHELL_H

#include <string>
#include <vector>

// Empty when the running shell has the extension working, or when the
// session is on X11 (the launcher reads its windows there itself); else one
// line that says what to do: install it, enable it, or log out and in
// once (a shell loads a newly installed extension only when it starts).
std::vector<std::wstring> whatGnomeShellLacks();

#endif

// The desktops keys can be bound on, each in a file of its own.
#ifndef TARVEXEL_APP_INSPECT_BIND_DESKTOPS_H
#define TARVEXEL_APP_INSPECT_BIND_DESKTOPS_H

#include <string>

#include "app/inspect/bind/binder.h"

const KeyBinder* windowsBinder();

// The launcher installed beside this program: the command a binding runs.
std::wstring installedLauncher();

// The desktops that keep keys in a configuration file of their own.
const KeyBinder* swayBinder();
const KeyBinder* labwcBinder();
const KeyBinder* openboxBinder();

// The desktops told over the session bus, in builds with sd-bus
// (TARVEXEL_BIND_OVER_SESSION_BUS): GNOME (gnome.cpp), KDE Plasma (kde.cpp).
const KeyBinder* gnomeBinder();
const KeyBinder* kdeBinder();

#endif

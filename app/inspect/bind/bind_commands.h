// tarvexel-inspect's bind, unbind and bindings.
#ifndef TARVEXEL_APP_INSPECT_BIND_BIND_COMMANDS_H
#define TARVEXEL_APP_INSPECT_BIND_BIND_COMMANDS_H

#include <string>
#include <vector>

#include "app/inspect/commands.h"

int bindKeys(const std::vector<std::wstring>& arguments, const Console& console);
int unbindKeys(const std::vector<std::wstring>& arguments, const Console& console);
int listBindings(const std::vector<std::wstring>& arguments, const Console& console);

#endif

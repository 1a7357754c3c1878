#include "platform/posix/children.h"
#include "platform/services.h"

// The pause is owed in full whatever signal cuts it short; programs started
// before it are collected as soon as they end.
void Sleep(DWORD milliseconds) { children::pause(milliseconds); }

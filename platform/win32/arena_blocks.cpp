#include "platform/services.h"

// Windows gives large pages only to accounts with a privilege for them; the
// heap serves.
std::pmr::memory_resource* arenaBlocks() { return std::pmr::new_delete_resource(); }

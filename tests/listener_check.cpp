// Compiled, not run: a Wayland listener built by naming its handlers must
// build when every event has exactly one that is not null, and must not
// otherwise.
#include "platform/wayland/listener.h"

namespace {

struct Events {
  void (*opened)(int);
  void (*closed)(int);
};

void onOpened(int) {}
void onClosed(int) {}

#if defined(TWICE)
constexpr auto kListener = wayland::Listener<Events>()
                               .on(&Events::opened, onOpened)
                               .on(&Events::opened, onClosed)
                               .complete();
#elif defined(NULL_HANDLER)
constexpr auto kListener = wayland::Listener<Events>()
                               .on(&Events::opened, nullptr)
                               .on(&Events::closed, onClosed)
                               .complete();
#elif defined(MISSING)
constexpr auto kListener = wayland::Listener<Events>().on(&Events::opened, onOpened).complete();
#else
constexpr auto kListener = wayland::Listener<Events>()
                               .on(&Events::closed, onClosed)
                               .on(&Events::opened, onOpened)
                               .complete();
static_assert(kListener.opened == onOpened && kListener.closed == onClosed,
              "each handler is where its event's name puts it");
#endif

}  // namespace

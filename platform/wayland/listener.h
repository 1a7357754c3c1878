// The listeners of the generated protocol headers (a struct holding one
// function for each event of an interface), filled by naming each event's
// handler:
//
//   constexpr auto kListener = Listener<wl_callback_listener>()
//                                  .on(&wl_callback_listener::done, onDone)
//                                  .complete();
//
// Filled by position, two handlers of the same type swapped would still
// build. Made at compile time, a listener that gives an event two handlers,
// a null one, or none does not build: libwayland calls whatever the struct
// holds for an event the compositor sends, a null included.
#ifndef TARVEXEL_PLATFORM_WAYLAND_LISTENER_H
#define TARVEXEL_PLATFORM_WAYLAND_LISTENER_H

#include <cstddef>
#include <type_traits>

namespace wayland {

template <typename Events>
class Listener {
  static_assert(sizeof(Events) % sizeof(void (*)()) == 0, "a listener holds functions only");

 public:
  // The handler is converted to the event's own type, so that one of a set
  // of overloads (the events nothing is done with) is chosen by it.
  template <typename Handler>
  constexpr Listener on(Handler Events::*event,
                        std::enable_if_t<true, Handler> handler) const {
    if (handler == nullptr) throw "a handler is null";
    Listener next = *this;
    if (next.events_.*event != nullptr) throw "an event is given two handlers";
    next.events_.*event = handler;
    ++next.named_;
    return next;
  }

  constexpr Events complete() const {
    if (named_ != sizeof(Events) / sizeof(void (*)())) throw "an event has no handler";
    return events_;
  }

 private:
  Events events_{};
  std::size_t named_ = 0;
};

// The handler of an event the program has no use for, whatever it carries:
// named for each such event, it takes that event's type.
template <typename... Arguments>
void ignore(void*, Arguments...) {}

}  // namespace wayland

#endif

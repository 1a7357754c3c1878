// A window for the desktop tests: it carries the class, instance and titles
// it is given and writes down, one line each, what happens to it:
//   ready ID   the window manager has taken it in (and lists it, if it
//              keeps a list); ID is the window id in decimal
//   focus      it received the input focus
//   close      it was asked to close (WM_DELETE_WINDOW); it then exits
//   asked activate SOURCE TIME, asked close TIME SOURCE
//              someone asked the window manager to activate or close it
//              (_NET_ACTIVE_WINDOW, _NET_CLOSE_WINDOW), with these fields
//   answer     someone set _TARVEXEL_TEST_QUESTION on it: every event the
//              server sent it before that has been taken in
// Usage: window_helper RECORD [--class C] [--instance I] [--title T]
//        [--wm-name N] [--compound-name N] [--no-delete]
// --title sets _NET_WM_NAME (UTF-8), --wm-name sets WM_NAME (STRING),
// --compound-name sets WM_NAME as Xlib encodes text in the locale of the
// environment as COMPOUND_TEXT, as Xt programs such as xterm do.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "helper_arguments.h"
#include "recorder.h"

namespace {

struct Options {
  std::string record;
  std::string className = "Helper";
  std::string instance = "helper";
  const char* title = nullptr;
  const char* wmName = nullptr;
  const char* compoundName = nullptr;
  bool takesDelete = true;
};

bool parse(int argc, char** argv, Options& options) {
  const auto take = [&options](const std::string& flag, const char* value) {
    if (flag == "--class")
      options.className = value;
    else if (flag == "--instance")
      options.instance = value;
    else if (flag == "--title")
      options.title = value;
    else if (flag == "--wm-name")
      options.wmName = value;
    else if (flag == "--compound-name")
      options.compoundName = value;
    else
      return false;
    return true;
  };
  return readHelperArguments(argc, argv, options.record, options.takesDelete, take) ||
         usageError("window_helper RECORD [--class C] [--instance I] [--title T] "
                    "[--wm-name N] [--compound-name N] [--no-delete]");
}

class Helper {
 public:
  Helper(Display* display, const Options& options)
      : display_(display),
        root_(DefaultRootWindow(display)),
        recorder_(options.record),
        wmState_(XInternAtom(display, "WM_STATE", False)),
        protocols_(XInternAtom(display, "WM_PROTOCOLS", False)),
        deleteWindow_(XInternAtom(display, "WM_DELETE_WINDOW", False)),
        clientList_(XInternAtom(display, "_NET_CLIENT_LIST", False)),
        stackingList_(XInternAtom(display, "_NET_CLIENT_LIST_STACKING", False)),
        wmCheck_(XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False)),
        activeWindow_(XInternAtom(display, "_NET_ACTIVE_WINDOW", False)),
        closeWindow_(XInternAtom(display, "_NET_CLOSE_WINDOW", False)),
        question_(XInternAtom(display, "_TARVEXEL_TEST_QUESTION", False)) {
    window_ = XCreateSimpleWindow(display, root_, 10, 10, 200, 100, 0, 0, WhitePixel(display, 0));
    setText(XA_WM_CLASS, XA_STRING, options.instance + '\0' + options.className + '\0');
    if (options.title)
      setText(XInternAtom(display, "_NET_WM_NAME", False),
              XInternAtom(display, "UTF8_STRING", False), options.title);
    if (options.wmName) setText(XA_WM_NAME, XA_STRING, options.wmName);
    if (options.compoundName) setCompoundName(options.compoundName);
    if (options.takesDelete) XSetWMProtocols(display, window_, &deleteWindow_, 1);
    XSelectInput(display, window_, PropertyChangeMask | FocusChangeMask | StructureNotifyMask);
    // Requests to the window manager are sent to the root for everyone
    // listening to its children, not just for the window manager.
    XSelectInput(display, root_, PropertyChangeMask | SubstructureNotifyMask);
    XMapWindow(display, window_);
  }

  void run() {
    XEvent event;
    while (true) {
      if (!ready_ && !eventWithin(kIntakeCheckMilliseconds)) {
        // No event came: look again all the same, so that no order of the
        // window manager's property changes and our reads of them can
        // leave a window taken in unnoticed (seen once in some hundreds).
        noteIfTakenIn();
        continue;
      }
      XNextEvent(display_, &event);
      if (event.type == PropertyNotify && event.xproperty.atom == question_) {
        recorder_.write("answer");
      } else if (event.type == PropertyNotify && !ready_) {
        noteIfTakenIn();
      } else if (event.type == FocusIn && event.xfocus.window == window_ &&
                 event.xfocus.detail != NotifyPointer) {
        recorder_.write("focus");
      } else if (event.type == ClientMessage && event.xclient.message_type == protocols_ &&
                 static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) {
        recorder_.write("close");
        return;
      } else if (event.type == ClientMessage && event.xclient.window == window_) {
        recordRequest(event.xclient);
      }
    }
  }

 private:
  static constexpr int kIntakeCheckMilliseconds = 100;

  // Whether an event is there, or comes within `milliseconds`.
  bool eventWithin(int milliseconds) {
    if (XPending(display_) > 0) return true;
    pollfd connection{ConnectionNumber(display_), POLLIN, 0};
    return ::poll(&connection, 1, milliseconds) > 0;
  }

  void noteIfTakenIn() {
    if (ready_ || !isManaged()) return;
    ready_ = true;
    recorder_.write("ready " + std::to_string(window_));
  }

  void setText(Atom property, Atom type, const std::string& value) {
    XChangeProperty(display_, window_, property, type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(value.data()),
                    static_cast<int>(value.size()));
  }

  void setCompoundName(const char* name) {
    char* list[] = {const_cast<char*>(name)};
    XTextProperty text;
    if (XmbTextListToTextProperty(display_, list, 1, XCompoundTextStyle, &text) != Success) return;
    XSetTextProperty(display_, window_, &text, XA_WM_NAME);
    XFree(text.value);
  }

  std::vector<Window> windows(Window on, Atom property) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::vector<Window> list;
    if (XGetWindowProperty(display_, on, property, 0, 65536, False, XA_WINDOW, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr) {
      const auto* items = reinterpret_cast<const long*>(data);
      for (unsigned long i = 0; i < count; ++i) list.push_back(static_cast<Window>(items[i]));
      XFree(data);
    }
    return list;
  }

  void recordRequest(const XClientMessageEvent& message) {
    const std::string fields =
        std::to_string(message.data.l[0]) + ' ' + std::to_string(message.data.l[1]);
    if (message.message_type == activeWindow_) recorder_.write("asked activate " + fields);
    if (message.message_type == closeWindow_) recorder_.write("asked close " + fields);
  }

  bool hasProperty(Window on, Atom property) {
    int count = 0;
    Atom* properties = XListProperties(display_, on, &count);
    const bool found = std::find(properties, properties + count, property) != properties + count;
    if (properties) XFree(properties);
    return found;
  }

  // Taken in: WM_STATE set, and listed where an EWMH window manager runs
  // (in both its lists: they are updated one after the other).
  bool isManaged() {
    if (!hasProperty(window_, wmState_)) return false;
    if (windows(root_, wmCheck_).empty()) return true;
    return isListed(clientList_) && isListed(stackingList_);
  }

  bool isListed(Atom list) {
    const std::vector<Window> clients = windows(root_, list);
    return std::find(clients.begin(), clients.end(), window_) != clients.end();
  }

  Display* const display_;
  const Window root_;
  Recorder recorder_;
  Atom wmState_, protocols_, deleteWindow_, clientList_, stackingList_, wmCheck_, activeWindow_,
      closeWindow_, question_;
  Window window_ = None;
  bool ready_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) return 2;
  std::setlocale(LC_ALL, "");
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 1;
  Helper(display, options).run();
  XCloseDisplay(display);
  return 0;
}

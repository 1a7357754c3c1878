// A Wayland window for the desktop tests, the counterpart of the X11 helper
// (window_helper.cpp): an xdg-shell toplevel with the app id and title it is
// given, showing a small shared-memory picture, that writes down what
// happens to it, one line each:
//   ready      the compositor has taken it in
//   focus      it became the activated window
//   unfocus    it stopped being the activated window
//   close      it was asked to close; it then exits, unless --no-delete
//   refused INTERFACE CODE
//              the compositor ended the connection before the windows were
//              shown, with that protocol error (wlroots 0.18 and later end
//              a client whose title or app id is not UTF-8); it then exits
// SIGUSR1 makes it take its windows off the screen and show them again, as
// new windows, which compositors put in front. SIGUSR2 makes it write
// "answer" after a roundtrip: every event the compositor sent it before
// has been taken in.
// With --count N it opens N windows in one program, the title of window I
// (from 0) followed by " I"; their records say "close I" instead of
// "close".
// Usage: wayland_window_helper RECORD [--class APP_ID] [--instance IGNORED]
//        [--title T] [--count N] [--no-delete]
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "xdg-shell-client-protocol.h"

#include "helper_arguments.h"
#include "recorder.h"

namespace {

struct Options {
  std::string record;
  std::string appId = "Helper";
  std::string title;
  int count = 1;
  bool takesClose = true;
};

bool parse(int argc, char** argv, Options& options) {
  const auto take = [&options](const std::string& flag, const char* value) {
    if (flag == "--class")
      options.appId = value;
    else if (flag == "--title")
      options.title = value;
    else if (flag == "--count")
      options.count = std::atoi(value);
    else if (flag != "--instance")  // X11's second name: Wayland has one
      return false;
    return true;
  };
  return (readHelperArguments(argc, argv, options.record, options.takesClose, take) &&
          options.count >= 1) ||
         usageError(
             "wayland_window_helper RECORD [--class APP_ID] [--title T] [--count N] [--no-delete]");
}

struct Globals {
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  xdg_wm_base* wmBase = nullptr;
};

void onPing(void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }
const xdg_wm_base_listener kBaseListener{onPing};

void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  auto& globals = *static_cast<Globals*>(data);
  if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
    globals.compositor =
        static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
  } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
    globals.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
    globals.wmBase =
        static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
    xdg_wm_base_add_listener(globals.wmBase, &kBaseListener, nullptr);
  }
}
void onGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener{onGlobal, onGlobalRemove};

// One grey square, shared by every window: its size is the window's.
constexpr int kSide = 64;

wl_buffer* makeBuffer(wl_shm* shm) {
  const int stride = kSide * 4;
  const int size = stride * kSide;
  const int fd = memfd_create("wayland-window-helper", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, size) != 0) return nullptr;
  void* pixels = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (pixels != MAP_FAILED) {
    std::memset(pixels, 0x80, size);
    munmap(pixels, size);
  }
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, size);
  wl_buffer* buffer =
      wl_shm_pool_create_buffer(pool, 0, kSide, kSide, stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  return buffer;
}

struct Window {
  Recorder* recorder;
  std::string suffix;  // "" or " I"
  bool takesClose;
  const Options* options;
  wl_buffer* buffer;
  wl_surface* surface = nullptr;
  xdg_surface* shell = nullptr;
  xdg_toplevel* toplevel = nullptr;
  bool configured = false;
  bool mapped = false;
  bool activated = false;
  bool closing = false;
};

void onSurfaceConfigure(void* data, xdg_surface* shell, uint32_t serial) {
  auto& window = *static_cast<Window*>(data);
  xdg_surface_ack_configure(shell, serial);
  if (!window.mapped) {
    wl_surface_attach(window.surface, window.buffer, 0, 0);
    wl_surface_damage(window.surface, 0, 0, kSide, kSide);
    window.mapped = true;
  }
  wl_surface_commit(window.surface);
  window.configured = true;
}
const xdg_surface_listener kSurfaceListener{onSurfaceConfigure};

void onToplevelConfigure(void* data, xdg_toplevel*, int32_t, int32_t, wl_array* states) {
  auto& window = *static_cast<Window*>(data);
  bool activated = false;
  const auto* values = static_cast<const uint32_t*>(states->data);
  for (size_t i = 0; i < states->size / sizeof *values; ++i) {
    if (values[i] == XDG_TOPLEVEL_STATE_ACTIVATED) activated = true;
  }
  if (activated != window.activated) window.recorder->write(activated ? "focus" : "unfocus");
  window.activated = activated;
}

void onToplevelClose(void* data, xdg_toplevel*) {
  auto& window = *static_cast<Window*>(data);
  window.recorder->write("close" + window.suffix);
  if (window.takesClose) window.closing = true;
}
// Events of later versions of xdg-shell than the one bound: never sent.
void onBounds(void*, xdg_toplevel*, int32_t, int32_t) {}
void onCapabilities(void*, xdg_toplevel*, wl_array*) {}
const xdg_toplevel_listener kToplevelListener{onToplevelConfigure, onToplevelClose, onBounds,
                                              onCapabilities};

// KWin forgets a window's names when it is unmapped: they are set anew
// each time it is shown.
void name(const Window& window) {
  xdg_toplevel_set_app_id(window.toplevel, window.options->appId.c_str());
  const std::string title = window.options->title + window.suffix;
  if (!title.empty()) xdg_toplevel_set_title(window.toplevel, title.c_str());
}

void open(const Globals& globals, Window& window) {
  window.surface = wl_compositor_create_surface(globals.compositor);
  window.shell = xdg_wm_base_get_xdg_surface(globals.wmBase, window.surface);
  xdg_surface_add_listener(window.shell, &kSurfaceListener, &window);
  window.toplevel = xdg_surface_get_toplevel(window.shell);
  xdg_toplevel_add_listener(window.toplevel, &kToplevelListener, &window);
  name(window);
  wl_surface_commit(window.surface);  // asks for the first configure
}

volatile std::sig_atomic_t remapWanted = 0;
volatile std::sig_atomic_t answerWanted = 0;

void onRemapSignal(int) { remapWanted = 1; }
void onQuestionSignal(int) { answerWanted = 1; }

// Without its picture the window is off the screen; the commit after that
// starts it afresh, and its next configure shows it again.
void remap(Window& window) {
  wl_surface_attach(window.surface, nullptr, 0, 0);
  wl_surface_commit(window.surface);
  window.mapped = false;
  name(window);
  wl_surface_commit(window.surface);
}

// wl_display_dispatch would not wake up for a signal: this loop looks for
// one every 50 ms.
bool dispatchAwhile(wl_display* display) {
  while (wl_display_prepare_read(display) != 0) {
    if (wl_display_dispatch_pending(display) < 0) return false;
  }
  wl_display_flush(display);
  pollfd watched{wl_display_get_fd(display), POLLIN, 0};
  if (poll(&watched, 1, 50) > 0) {
    if (wl_display_read_events(display) < 0) return false;
  } else {
    wl_display_cancel_read(display);
  }
  return wl_display_dispatch_pending(display) >= 0;
}

// The protocol error that ended the connection, for the record.
std::string protocolError(wl_display* display) {
  const wl_interface* interface = nullptr;
  uint32_t id = 0;
  const uint32_t code = wl_display_get_protocol_error(display, &interface, &id);
  return std::string(interface != nullptr ? interface->name : "-") + " " + std::to_string(code);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) return 2;
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return 1;
  Globals globals;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, &globals);
  wl_display_roundtrip(display);
  if (!globals.compositor || !globals.shm || !globals.wmBase) return 1;
  Recorder recorder(options.record);
  wl_buffer* buffer = makeBuffer(globals.shm);
  std::vector<std::unique_ptr<Window>> windows;
  for (int i = 0; i < options.count; ++i) {
    const std::string suffix = options.count > 1 ? " " + std::to_string(i) : "";
    windows.push_back(
        std::make_unique<Window>(Window{&recorder, suffix, options.takesClose, &options, buffer}));
    open(globals, *windows.back());
    // In batches, so that neither side's buffers overflow.
    if (i % 100 == 99) wl_display_roundtrip(display);
  }
  // Configured and committed with a picture, then one more roundtrip: the
  // compositor has mapped the windows, and lists them.
  auto allConfigured = [&] {
    for (const auto& window : windows)
      if (!window->configured) return false;
    return true;
  };
  while (!allConfigured()) {
    if (wl_display_dispatch(display) < 0) {
      recorder.write("refused " + protocolError(display));
      return 1;
    }
  }
  wl_display_roundtrip(display);
  std::signal(SIGUSR1, onRemapSignal);
  std::signal(SIGUSR2, onQuestionSignal);
  recorder.write("ready");
  while (dispatchAwhile(display)) {
    for (const auto& window : windows)
      if (window->closing) return 0;
    if (remapWanted) {
      remapWanted = 0;
      for (const auto& window : windows) remap(*window);
    }
    if (answerWanted) {
      answerWanted = 0;
      if (wl_display_roundtrip(display) < 0) return 1;
      recorder.write("answer");
    }
  }
  return 0;
}

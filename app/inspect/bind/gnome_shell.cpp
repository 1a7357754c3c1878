#include "app/inspect/bind/gnome_shell.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>

#include "app/inspect/bind/desktop_entry.h"
#include "app/inspect/bind/gsettings.h"
#include "app/inspect/bind/session_bus.h"
#include "platform/posix/utf8.h"

namespace {

constexpr char kUuid[] = "tarvexel@tarvexel.org";
// GNOME Shell's word for an extension it runs (ENABLED, ACTIVE from 48 on).
constexpr double kRunning = 1;

struct ExtensionState {
  double state = 0;  // 0: the shell does not know the extension
  std::wstring error;
};

// The extension's folder in the user's data folder or the system's.
bool installed() {
  for (const std::string& folder : dataFolders()) {
    const std::string metadata = folder + "/gnome-shell/extensions/" + kUuid + "/metadata.json";
    if (::access(metadata.c_str(), R_OK) == 0) return true;
  }
  return false;
}

bool enabledInSettings() {
  std::wstring why;
  const std::optional<std::string> enabled =
      gsettings::get("org.gnome.shell", "enabled-extensions", why);
  if (!enabled) return false;
  for (const std::wstring& uuid : gsettings::stringsIn(*enabled)) {
    if (uuid == utf8::widenLossless(kUuid)) return true;
  }
  return false;
}

// GNOME Shell's own answer (org.gnome.Shell.Extensions.GetExtensionInfo):
// empty when the shell did not answer.
std::optional<ExtensionState> askShell(SessionBus& bus) {
  const BusReply reply = bus.call(
      {"org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions"}, "GetExtensionInfo",
      "s", kUuid);
  if (!reply || sd_bus_message_enter_container(reply.get(), 'a', "{sv}") <= 0) return std::nullopt;
  ExtensionState extension;
  while (sd_bus_message_enter_container(reply.get(), 'e', "sv") > 0) {
    const char* key = "";
    const char* error = "";
    sd_bus_message_read(reply.get(), "s", &key);
    if (std::strcmp(key, "state") == 0) {
      sd_bus_message_read(reply.get(), "v", "d", &extension.state);
    } else if (std::strcmp(key, "error") == 0) {
      if (sd_bus_message_read(reply.get(), "v", "s", &error) > 0)
        extension.error = utf8::widenLossless(error);
    } else {
      sd_bus_message_skip(reply.get(), "v");
    }
    sd_bus_message_exit_container(reply.get());
  }
  return extension;
}

}  // namespace

std::vector<std::wstring> whatGnomeShellLacks() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (wayland == nullptr || *wayland == '\0') return {};
  SessionBus bus;
  const std::optional<ExtensionState> shell = askShell(bus);
  if (shell && shell->state == kRunning) return {};
  const std::wstring uuid = utf8::widenLossless(kUuid);
  if (!installed())
    return {L"Tarvexel's GNOME Shell extension " + uuid + L", through which alone it sees "
            L"GNOME's windows; the package installs it"};
  if (!enabledInSettings()) return {L"its GNOME Shell extension enabled: gnome-extensions enable " + uuid};
  if (!shell)
    return {L"GNOME Shell to say whether it runs the extension " + uuid + L"; it did not answer (" +
            utf8::widenLossless(bus.error()) + L")"};
  if (shell->state == 0)
    return {L"a new login: this GNOME Shell started before the extension " + uuid +
            L" was installed, and takes new extensions in only as it starts; log out and in once"};
  return {L"its GNOME Shell extension working: the shell has " + uuid + L" installed and enabled "
          L"but not running (state " + std::to_wstring(static_cast<int>(shell->state)) +
          (shell->error.empty() ? L"" : L": " + shell->error) + L")"};
}

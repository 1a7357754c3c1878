// GNOME: a key that runs a command is a custom shortcut of the settings
// daemon's media-keys plugin, as GNOME's Settings makes one: a path in the
// list `custom-keybindings`, and under it the relocatable schema's name,
// command and binding. The daemon watches both and grabs a new key at once.
// The user's own shortcuts stay in the list as they were, in their order.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/inspect/bind/accelerator.h"
#include "app/inspect/bind/command_text.h"
#include "app/inspect/bind/config_keys.h"
#include "app/inspect/bind/desktops.h"
#include "app/inspect/bind/gnome_shell.h"
#include "app/inspect/bind/gsettings.h"
#include "platform/posix/utf8.h"

namespace {

constexpr char kMediaKeys[] = "org.gnome.settings-daemon.plugins.media-keys";
constexpr char kListKey[] = "custom-keybindings";
constexpr char kCustom[] = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
constexpr wchar_t kCustomFolder[] =
    L"/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/";

// Where GNOME keeps its own keys: the window manager's, the shell's and the
// settings daemon's. A key one of them holds would not reach our command.
constexpr const char* kOwnSchemas[] = {
    "org.gnome.desktop.wm.keybindings", "org.gnome.mutter.keybindings",
    "org.gnome.mutter.wayland.keybindings", "org.gnome.shell.keybindings", kMediaKeys};

struct Custom {
  std::wstring path;
  std::wstring name;
  std::wstring command;
  std::wstring binding;
};

std::string schemaAt(const std::wstring& path) { return kCustom + (":" + utf8::narrow(path)); }

// The list of custom shortcuts; empty, with `why`, when it cannot be read:
// then nothing is written, lest a list of ours alone take the user's place.
std::optional<std::vector<std::wstring>> customPaths(std::wstring& why) {
  const std::optional<std::string> list = gsettings::get(kMediaKeys, kListKey, why);
  if (!list) return std::nullopt;
  return gsettings::stringsIn(*list);
}

Custom customAt(const std::wstring& path) {
  Custom custom{path, {}, {}, {}};
  for (const gsettings::Key& key : gsettings::keysOf(schemaAt(path))) {
    const std::vector<std::wstring> strings = gsettings::stringsIn(key.value);
    const std::wstring value = strings.empty() ? std::wstring() : strings[0];
    if (key.name == "name") custom.name = value;
    if (key.name == "command") custom.command = value;
    if (key.name == "binding") custom.binding = value;
  }
  return custom;
}

bool bindsKeys(const std::wstring& accelerator, const KeyChord& keys) {
  const std::optional<KeyChord> chord = chordOfAccelerator(accelerator);
  return chord && *chord == keys;
}

// The custom shortcut on the keys, if there is one.
std::optional<Custom> customOn(const KeyChord& keys, const std::vector<std::wstring>& paths) {
  for (const std::wstring& path : paths) {
    Custom custom = customAt(path);
    if (bindsKeys(custom.binding, keys)) return custom;
  }
  return std::nullopt;
}

// GNOME's own shortcut on the keys, for people; empty when there is none.
std::wstring ownShortcutOn(const KeyChord& keys) {
  for (const char* schema : kOwnSchemas) {
    for (const gsettings::Key& key : gsettings::keysOf(schema)) {
      if (key.name == kListKey) continue;
      for (const std::wstring& accelerator : gsettings::stringsIn(key.value)) {
        if (bindsKeys(accelerator, keys))
          return L"GNOME's own shortcut \"" + utf8::widenLossless(key.name) + L"\" (" +
                 utf8::widenLossless(schema) + L")";
      }
    }
  }
  return {};
}

// The first customN/ the list does not hold, as GNOME's Settings picks it.
std::wstring freePath(const std::vector<std::wstring>& paths) {
  for (int n = 0;; ++n) {
    const std::wstring path = kCustomFolder + (L"custom" + std::to_wstring(n)) + L"/";
    if (std::find(paths.begin(), paths.end(), path) == paths.end()) return path;
  }
}

std::wstring commandLine(const LaunchCommand& command) {
  return shellQuoted(command.program) + L" " + shellQuoted(command.profile);
}

// Writes the shortcut's three keys; the list is changed only after them, so
// that the daemon never sees a shortcut half made.
bool writeCustom(const std::wstring& path, const KeyChord& keys, const LaunchCommand& command,
                 std::wstring& why) {
  const std::string schema = schemaAt(path);
  return gsettings::set(schema, "name", gsettings::literal(titleFor(command.profile)), why) &&
         gsettings::set(schema, "command", gsettings::literal(commandLine(command)), why) &&
         gsettings::set(schema, "binding", gsettings::literal(acceleratorOf(keys)), why);
}

BindResult failed(const std::wstring& why) {
  return {false, L"GNOME's settings did not take the shortcut: " + why};
}

BindResult refusedAsHeld(const KeyChord& keys, const Custom& custom) {
  if (const std::optional<std::wstring> profile = profileOf(custom.command)) {
    return {false, boundAlready(keys, *profile)};
  }
  return {false, keysText(keys) + L" is taken by the custom shortcut \"" + custom.name + L"\" (" +
                     custom.command + L"), which is not Tarvexel's"};
}

BindResult notRead(const std::wstring& why) {
  return {false, L"cannot read GNOME's custom shortcuts: " + why};
}

BindResult bind(const KeyChord& keys, const LaunchCommand& command, bool replace) {
  if (!isText(command.profile) || !isText(command.program))
    return {false, L"GNOME's settings hold only UTF-8 text, and the profile's path is not"};
  std::wstring why;
  std::optional<std::vector<std::wstring>> read = customPaths(why);
  if (!read) return notRead(why);
  std::vector<std::wstring>& paths = *read;
  if (const std::optional<Custom> held = customOn(keys, paths)) {
    if (!replace || !runsTarvexel(held->command)) return refusedAsHeld(keys, *held);
    if (!writeCustom(held->path, keys, command, why)) return failed(why);
    return {true, L"Bound " + keysText(keys) + L" to run " + commandLine(command) +
                      L" in place of " + held->command + L" (GNOME custom shortcut " +
                      held->path + L")"};
  }
  const std::wstring own = ownShortcutOn(keys);
  if (!own.empty()) return {false, keysText(keys) + L" is taken by " + own};
  const std::wstring path = freePath(paths);
  if (!writeCustom(path, keys, command, why)) return failed(why);
  paths.push_back(path);
  if (!gsettings::set(kMediaKeys, kListKey, gsettings::listLiteral(paths), why)) return failed(why);
  return {true, L"Bound " + keysText(keys) + L" to run " + commandLine(command) +
                    L" (GNOME custom shortcut " + path + L")"};
}

BindResult unbind(const KeyChord& keys) {
  std::wstring why;
  std::optional<std::vector<std::wstring>> read = customPaths(why);
  if (!read) return notRead(why);
  std::vector<std::wstring>& paths = *read;
  for (auto path = paths.begin(); path != paths.end(); ++path) {
    const Custom custom = customAt(*path);
    if (!runsTarvexel(custom.command) || !bindsKeys(custom.binding, keys)) continue;
    paths.erase(path);
    if (!gsettings::set(kMediaKeys, kListKey, gsettings::listLiteral(paths), why) ||
        !gsettings::resetAll(schemaAt(custom.path), why))
      return {false, L"GNOME's settings did not let the shortcut go: " + why};
    return {true, L"Unbound " + keysText(keys) + L" (GNOME custom shortcut " + custom.path +
                      L", which ran " + custom.command + L")"};
  }
  return {false, L"Tarvexel has bound nothing to " + keysText(keys) + L" on GNOME"};
}

std::vector<Binding> bindings() {
  std::vector<Binding> found;
  std::wstring why;
  for (const std::wstring& path : customPaths(why).value_or(std::vector<std::wstring>())) {
    const Custom custom = customAt(path);
    const std::optional<KeyChord> keys = chordOfAccelerator(custom.binding);
    const std::optional<std::wstring> profile = profileOf(custom.command);
    if (keys && profile) found.push_back({*keys, *profile});
  }
  return found;
}

}  // namespace

const KeyBinder* gnomeBinder() {
  static const KeyBinder binder{L"GNOME", bindings, bind, unbind, whatGnomeShellLacks};
  return &binder;
}

// Windows: a key is a shortcut's hot key. Explorer takes the hot keys of the
// shortcuts in the Start menu and on the desktop, and starts a shortcut's
// program when its key is pressed; Tarvexel's binding is a shortcut in the
// user's Start-menu Programs folder.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "app/inspect/bind/desktops.h"
#include "platform/win32/com_apartment.h"

namespace {

namespace fs = std::filesystem;

template <typename Interface>
struct Releaser {
  void operator()(Interface* object) const { object->Release(); }
};
template <typename Interface>
using ComPointer = std::unique_ptr<Interface, Releaser<Interface>>;

struct Shortcut {
  fs::path file;
  std::wstring program;
  std::wstring arguments;
  WORD hotKey = 0;
};

// The shortcut's hot key: the virtual key, then the modifiers. Explorer sets
// HOTKEYF_EXT for some keys; it is no part of what the user presses.
constexpr BYTE kModifiers = HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_SHIFT;

WORD hotKeyOf(const KeyChord& keys) {
  const BYTE modifiers = static_cast<BYTE>((keys.ctrl ? HOTKEYF_CONTROL : 0) |
                                           (keys.alt ? HOTKEYF_ALT : 0) |
                                           (keys.shift ? HOTKEYF_SHIFT : 0));
  return MAKEWORD(static_cast<BYTE>(keys.virtualKey), modifiers);
}

bool sameHotKey(WORD a, WORD b) {
  return LOBYTE(a) == LOBYTE(b) && (HIBYTE(a) & kModifiers) == (HIBYTE(b) & kModifiers);
}

std::optional<KeyChord> keysOfHotKey(WORD hotKey) {
  const BYTE modifiers = HIBYTE(hotKey);
  return keysOfVirtualKey(LOBYTE(hotKey), modifiers & HOTKEYF_CONTROL, modifiers & HOTKEYF_ALT,
                          modifiers & HOTKEYF_SHIFT);
}

bool isTarvexel(const std::wstring& program) {
  return CompareStringOrdinal(fs::path(program).filename().c_str(), -1, L"tarvexel.exe", -1,
                              TRUE) == CSTR_EQUAL;
}

fs::path knownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  fs::path folder;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) folder = path;
  CoTaskMemFree(path);
  return folder;
}

ComPointer<IShellLinkW> newShellLink() {
  void* link = nullptr;
  CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, &link);
  return ComPointer<IShellLinkW>(static_cast<IShellLinkW*>(link));
}

ComPointer<IPersistFile> fileOf(IShellLinkW& link) {
  void* file = nullptr;
  link.QueryInterface(IID_IPersistFile, &file);
  return ComPointer<IPersistFile>(static_cast<IPersistFile*>(file));
}

std::optional<Shortcut> readShortcut(const fs::path& file) {
  const ComPointer<IShellLinkW> link = newShellLink();
  const ComPointer<IPersistFile> persisted = link ? fileOf(*link) : nullptr;
  if (!persisted || FAILED(persisted->Load(file.c_str(), STGM_READ))) return std::nullopt;
  Shortcut shortcut;
  shortcut.file = file;
  std::wstring text(INFOTIPSIZE, L'\0');
  if (SUCCEEDED(link->GetPath(&text[0], INFOTIPSIZE, nullptr, SLGP_RAWPATH))) {
    shortcut.program = text.c_str();
  }
  if (SUCCEEDED(link->GetArguments(&text[0], INFOTIPSIZE))) shortcut.arguments = text.c_str();
  link->GetHotkey(&shortcut.hotKey);
  return shortcut;
}

void addShortcutsWithHotKeys(const fs::directory_entry& entry, std::vector<Shortcut>& found) {
  if (CompareStringOrdinal(entry.path().extension().c_str(), -1, L".lnk", -1, TRUE) !=
      CSTR_EQUAL) {
    return;
  }
  std::optional<Shortcut> shortcut = readShortcut(entry.path());
  if (shortcut && shortcut->hotKey != 0) found.push_back(std::move(*shortcut));
}

template <typename Iterator>
void addShortcutsBelow(REFKNOWNFOLDERID id, std::vector<Shortcut>& found) {
  const fs::path folder = knownFolder(id);
  if (folder.empty()) return;
  std::error_code error;
  for (Iterator at(folder, fs::directory_options::skip_permission_denied, error), end;
       !error && at != end; at.increment(error)) {
    addShortcutsWithHotKeys(*at, found);
  }
}

// Every shortcut with a hot key where Explorer takes hot keys from: the
// Start menu and its folders, and the desktop itself; the user's and
// everyone's.
std::vector<Shortcut> shortcutsWithHotKeys() {
  std::vector<Shortcut> found;
  addShortcutsBelow<fs::recursive_directory_iterator>(FOLDERID_StartMenu, found);
  addShortcutsBelow<fs::recursive_directory_iterator>(FOLDERID_CommonStartMenu, found);
  addShortcutsBelow<fs::directory_iterator>(FOLDERID_Desktop, found);
  addShortcutsBelow<fs::directory_iterator>(FOLDERID_PublicDesktop, found);
  return found;
}

std::vector<Binding> bindings() {
  const ComApartment apartment;
  std::vector<Binding> list;
  for (const Shortcut& shortcut : shortcutsWithHotKeys()) {
    if (!isTarvexel(shortcut.program)) continue;
    if (const std::optional<KeyChord> keys = keysOfHotKey(shortcut.hotKey)) {
      list.push_back({*keys, shortcut.arguments});
    }
  }
  return list;
}

// The keys without Super, which Windows keeps for itself.
std::wstring withoutSuper(KeyChord keys) {
  keys.super = false;
  if (!keys.ctrl && !keys.alt) keys.ctrl = keys.alt = true;
  return keysText(keys);
}

// Made in place of what `ours` holds, once the key is known to be free.
BindResult bindFreeKey(const KeyChord& keys, const LaunchCommand& command,
                       const std::vector<fs::path>& ours) {
  const fs::path file = knownFolder(FOLDERID_Programs) / (L"Tarvexel " + keysText(keys) + L".lnk");
  const ComPointer<IShellLinkW> link = newShellLink();
  const ComPointer<IPersistFile> persisted = link ? fileOf(*link) : nullptr;
  // The launcher takes its whole command line as the profile's path, so the
  // path goes unquoted.
  const bool made = persisted && SUCCEEDED(link->SetPath(command.program.c_str())) &&
                    SUCCEEDED(link->SetArguments(command.profile.c_str())) &&
                    SUCCEEDED(link->SetHotkey(hotKeyOf(keys))) &&
                    SUCCEEDED(link->SetDescription((L"Tarvexel: " + command.profile).c_str()));
  for (const fs::path& old : ours) {
    std::error_code ignored;
    if (old != file) fs::remove(old, ignored);
  }
  if (!made || FAILED(persisted->Save(file.c_str(), TRUE))) {
    return {false, L"could not write the shortcut " + file.wstring()};
  }
  return {true, L"Bound " + keysText(keys) + L" to " + command.profile + L" with the shortcut " +
                    file.wstring() + L"."};
}

BindResult bind(const KeyChord& keys, const LaunchCommand& command, bool replace) {
  if (keys.super) {
    return {false, L"Windows lets a shortcut's key have only Ctrl, Alt and Shift: " +
                       withoutSuper(keys) + L" would work"};
  }
  const ComApartment apartment;
  std::vector<fs::path> ours;
  for (const Shortcut& shortcut : shortcutsWithHotKeys()) {
    if (!sameHotKey(shortcut.hotKey, hotKeyOf(keys))) continue;
    const std::wstring holder = keysText(keys) + L" is the key of " + shortcut.file.wstring();
    if (!isTarvexel(shortcut.program)) return {false, holder};
    if (!replace) return {false, holder + L" already (--replace replaces it)"};
    ours.push_back(shortcut.file);
  }
  return bindFreeKey(keys, command, ours);
}

BindResult unbind(const KeyChord& keys) {
  const ComApartment apartment;
  std::wstring removed;
  for (const Shortcut& shortcut : shortcutsWithHotKeys()) {
    if (!isTarvexel(shortcut.program) || !sameHotKey(shortcut.hotKey, hotKeyOf(keys))) continue;
    std::error_code error;
    if (!fs::remove(shortcut.file, error)) {
      return {false, L"could not remove " + shortcut.file.wstring()};
    }
    removed += L" " + shortcut.file.wstring();
  }
  if (removed.empty()) return {false, keysText(keys) + L" is no key of Tarvexel's"};
  return {true, L"Removed" + removed};
}

}  // namespace

const KeyBinder* windowsBinder() {
  static const KeyBinder binder{L"Windows", bindings, bind, unbind, nullptr};
  return &binder;
}

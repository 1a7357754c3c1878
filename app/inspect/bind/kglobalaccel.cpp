#include "app/inspect/bind/kglobalaccel.h"

#include <chrono>
#include <cwctype>
#include <thread>

namespace kglobalaccel {
namespace {

// Qt's modifier bits (Qt::KeyboardModifier) and key codes (Qt::Key).
constexpr int kMeta = 0x10000000;
constexpr int kControl = 0x04000000;
constexpr int kAlt = 0x08000000;
constexpr int kShift = 0x02000000;
constexpr int kKeypad = 0x20000000;
constexpr int kModifiers = kMeta | kControl | kAlt | kShift | kKeypad;
constexpr int kF1 = 0x01000030;
constexpr int kLastFunctionKey = 24;

struct NamedKey {
  const wchar_t* keysym;
  int code;
};

// The keys besides letters, digits and F1-F24 that KeyChord knows.
constexpr NamedKey kNamedKeys[] = {
    {L"Return", 0x01000004}, {L"space", 0x20},       {L"Tab", 0x01000001},
    {L"Escape", 0x01000000}, {L"BackSpace", 0x01000003}, {L"Delete", 0x01000007},
    {L"Insert", 0x01000006}, {L"Home", 0x01000010},  {L"End", 0x01000011},
    {L"Prior", 0x01000016},  {L"Next", 0x01000017},  {L"Left", 0x01000012},
    {L"Up", 0x01000013},     {L"Right", 0x01000014}, {L"Down", 0x01000015},
    {L"Print", 0x01000009},  {L"Pause", 0x01000008}, {L"Menu", 0x01000055},
};

constexpr BusObject kService{"org.kde.kglobalaccel", "/kglobalaccel", "org.kde.KGlobalAccel"};

// How long KDE's index of desktop files may take to notice a new one.
constexpr std::chrono::seconds kIndexing{5};
constexpr std::chrono::milliseconds kAskAgain{100};

// The key of the first shortcut in a reply of a(ai) (each shortcut up to
// four chords, of which a binding of ours uses the first); 0 for none.
int firstKey(const BusReply& reply) {
  int key = 0;
  if (!reply || sd_bus_message_enter_container(reply.get(), 'a', "(ai)") <= 0) return 0;
  if (sd_bus_message_enter_container(reply.get(), 'r', "ai") > 0) {
    const void* codes = nullptr;
    std::size_t size = 0;
    if (sd_bus_message_read_array(reply.get(), 'i', &codes, &size) >= 0 && size >= sizeof key)
      key = *static_cast<const int*>(codes);
  }
  return key;
}

}  // namespace

int qtKey(const KeyChord& keys) {
  int code = 0;
  if (keys.keysym.size() == 1) {
    code = static_cast<int>(std::towupper(keys.keysym[0]));
  } else if (keys.keysym.size() > 1 && keys.keysym[0] == L'F' && std::iswdigit(keys.keysym[1])) {
    code = kF1 + std::stoi(keys.keysym.substr(1)) - 1;
  }
  for (const NamedKey& named : kNamedKeys) {
    if (keys.keysym == named.keysym) code = named.code;
  }
  return code | (keys.super ? kMeta : 0) | (keys.ctrl ? kControl : 0) | (keys.alt ? kAlt : 0) |
         (keys.shift ? kShift : 0);
}

std::optional<KeyChord> chordOfQtKey(int key) {
  KeyChord keys;
  keys.super = (key & kMeta) != 0;
  keys.ctrl = (key & kControl) != 0;
  keys.alt = (key & kAlt) != 0;
  keys.shift = (key & kShift) != 0;
  const int code = key & ~kModifiers;
  if (code > 0x20 && code < 0x7F) {
    keys.keysym = std::wstring(1, static_cast<wchar_t>(std::towlower(static_cast<wint_t>(code))));
  } else if (code >= kF1 && code < kF1 + kLastFunctionKey) {
    keys.keysym = L"F" + std::to_wstring(code - kF1 + 1);
  }
  for (const NamedKey& named : kNamedKeys) {
    if (code == named.code) keys.keysym = named.keysym;
  }
  if (keys.keysym.empty()) return std::nullopt;
  return keys;
}

bool Shortcuts::holderOf(int key, std::optional<Action>& holder) {
  const BusReply reply = bus_.call(kService, "actionList", "(ai)", 4, key, 0, 0, 0);
  if (!reply || sd_bus_message_enter_container(reply.get(), 'a', "s") <= 0) return false;
  const char* parts[4] = {};
  int read = 0;
  while (read < 4 && sd_bus_message_read(reply.get(), "s", &parts[read]) > 0) ++read;
  holder.reset();
  if (read == 4) holder = Action{parts[0], parts[1], parts[2], parts[3]};
  return true;
}

bool Shortcuts::addCommand(const std::string& desktopFile, const std::string& name) {
  const auto deadline = std::chrono::steady_clock::now() + kIndexing;
  while (true) {
    // An action with no name makes kglobalaccel read the file, which gives
    // the component its _launch; the stand-in itself is of no use after.
    bus_.call(kService, "doRegister", "as", 4, desktopFile.c_str(), "", name.c_str(), "");
    if (bus_.call(kService, "getComponent", "s", desktopFile.c_str())) break;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kAskAgain);
  }
  return static_cast<bool>(bus_.call(kService, "unregister", "ss", desktopFile.c_str(), ""));
}

bool Shortcuts::setKey(const std::string& desktopFile, const std::string& name, int key) {
  // 4: the keys as given, not those kglobalaccel remembers for the action.
  constexpr unsigned kNoAutoloading = 4;
  const char* id[] = {desktopFile.c_str(), "_launch", name.c_str(), name.c_str()};
  const BusReply reply =
      key == 0 ? bus_.call(kService, "setShortcutKeys", "asa(ai)u", 4, id[0], id[1], id[2], id[3],
                           0, kNoAutoloading)
               : bus_.call(kService, "setShortcutKeys", "asa(ai)u", 4, id[0], id[1], id[2], id[3],
                           1, 4, key, 0, 0, 0, kNoAutoloading);
  return reply && firstKey(reply) == key;
}

int Shortcuts::keyOf(const std::string& desktopFile) {
  return firstKey(
      bus_.call(kService, "shortcutKeys", "as", 4, desktopFile.c_str(), "_launch", "", ""));
}

bool Shortcuts::removeCommand(const std::string& desktopFile) {
  const BusReply reply = bus_.call(kService, "getComponent", "s", desktopFile.c_str());
  const char* path = nullptr;
  if (!reply || sd_bus_message_read(reply.get(), "o", &path) <= 0) return false;
  return static_cast<bool>(
      bus_.call({kService.service, path, "org.kde.kglobalaccel.Component"}, "cleanUp", nullptr));
}

}  // namespace kglobalaccel

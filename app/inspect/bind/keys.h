// The keys a binding is for, as a person writes them ("Super+T",
// "ctrl+alt+n") and as each desktop spells them.
#ifndef TARVEXEL_APP_INSPECT_BIND_KEYS_H
#define TARVEXEL_APP_INSPECT_BIND_KEYS_H

#include <optional>
#include <string>

struct KeyChord {
  bool super = false;
  bool ctrl = false;
  bool alt = false;
  bool shift = false;
  // The key's name as the X keyboard names its symbol, which every Linux
  // desktop here takes: "t" for a letter, "5", "F5", "Return", "space".
  std::wstring keysym;
  // The key's virtual-key code on Windows ('T', '5', VK_F5...).
  unsigned virtualKey = 0;

  bool operator==(const KeyChord& other) const;
};

// The chord KEYS names: modifiers Super, Ctrl, Alt and Shift and one key (a
// letter, a digit, F1 to F24 or a key name such as Return), joined by "+",
// in any letter case. Empty, with `problem` saying why, for anything else.
std::optional<KeyChord> parseKeys(const std::wstring& text, std::wstring& problem);

// The chord of a virtual-key code and modifiers, as Windows keeps a
// shortcut's hot key; empty for a key parseKeys would not take.
std::optional<KeyChord> keysOfVirtualKey(unsigned virtualKey, bool ctrl, bool alt, bool shift);

// The chord as a person reads it: "Super+T", "Ctrl+Alt+F5".
std::wstring keysText(const KeyChord& keys);

#endif

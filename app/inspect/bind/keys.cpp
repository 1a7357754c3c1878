#include "app/inspect/bind/keys.h"

#include <cwctype>
#include <vector>

namespace {

struct NamedKey {
  const wchar_t* name;    // as a person writes it, matched in any letter case
  const wchar_t* keysym;  // as the X keyboard names it
  unsigned virtualKey;
};

// The keys besides letters, digits and F1-F24 that are worth a launcher
// key; two spellings where people use both.
const NamedKey kNamedKeys[] = {
    {L"Return", L"Return", 0x0D},  {L"Enter", L"Return", 0x0D},     {L"Space", L"space", 0x20},
    {L"Tab", L"Tab", 0x09},        {L"Escape", L"Escape", 0x1B},    {L"Esc", L"Escape", 0x1B},
    {L"BackSpace", L"BackSpace", 0x08}, {L"Delete", L"Delete", 0x2E}, {L"Insert", L"Insert", 0x2D},
    {L"Home", L"Home", 0x24},      {L"End", L"End", 0x23},          {L"Page_Up", L"Prior", 0x21},
    {L"Prior", L"Prior", 0x21},    {L"Page_Down", L"Next", 0x22},   {L"Next", L"Next", 0x22},
    {L"Left", L"Left", 0x25},      {L"Up", L"Up", 0x26},            {L"Right", L"Right", 0x27},
    {L"Down", L"Down", 0x28},      {L"Print", L"Print", 0x2C},      {L"Pause", L"Pause", 0x13},
    {L"Menu", L"Menu", 0x5D},
};

constexpr unsigned kVirtualF1 = 0x70;
constexpr int kLastFunctionKey = 24;

bool sameIgnoringCase(const std::wstring& a, const wchar_t* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != L'\0'; ++i) {
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  }
  return i == a.size() && b[i] == L'\0';
}

std::vector<std::wstring> partsOf(const std::wstring& text) {
  std::vector<std::wstring> parts(1);
  for (const wchar_t c : text) {
    if (c == L'+') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

// Sets the modifier a part names; false when it names none.
bool takeModifier(const std::wstring& part, KeyChord& keys, bool& twice) {
  const struct {
    const wchar_t* name;
    bool KeyChord::*flag;
  } modifiers[] = {{L"Super", &KeyChord::super},
                   {L"Ctrl", &KeyChord::ctrl},
                   {L"Control", &KeyChord::ctrl},
                   {L"Alt", &KeyChord::alt},
                   {L"Shift", &KeyChord::shift}};
  for (const auto& modifier : modifiers) {
    if (!sameIgnoringCase(part, modifier.name)) continue;
    twice = twice || keys.*modifier.flag;
    keys.*modifier.flag = true;
    return true;
  }
  return false;
}

// A number from 1 to 24 after "F", or 0.
int functionKeyNumber(const std::wstring& part) {
  if (part.size() < 2 || part.size() > 3 || std::towupper(part[0]) != L'F') return 0;
  int number = 0;
  for (std::size_t i = 1; i < part.size(); ++i) {
    if (part[i] < L'0' || part[i] > L'9') return 0;
    number = number * 10 + (part[i] - L'0');
  }
  return number >= 1 && number <= kLastFunctionKey && part[1] != L'0' ? number : 0;
}

// Sets the key a part names; false when it names none.
bool takeKey(const std::wstring& part, KeyChord& keys) {
  if (part.size() == 1 && std::iswalnum(part[0]) && part[0] < 0x80) {
    keys.keysym = std::wstring(1, static_cast<wchar_t>(std::towlower(part[0])));
    keys.virtualKey = static_cast<unsigned>(std::towupper(part[0]));
    return true;
  }
  if (const int number = functionKeyNumber(part)) {
    keys.keysym = L"F" + std::to_wstring(number);
    keys.virtualKey = kVirtualF1 + static_cast<unsigned>(number) - 1;
    return true;
  }
  for (const NamedKey& key : kNamedKeys) {
    if (!sameIgnoringCase(part, key.name)) continue;
    keys.keysym = key.keysym;
    keys.virtualKey = key.virtualKey;
    return true;
  }
  return false;
}

bool isFunctionKey(const KeyChord& keys) {
  return keys.virtualKey >= kVirtualF1 && keys.virtualKey < kVirtualF1 + kLastFunctionKey;
}

}  // namespace

bool KeyChord::operator==(const KeyChord& other) const {
  return super == other.super && ctrl == other.ctrl && alt == other.alt &&
         shift == other.shift && keysym == other.keysym;
}

std::optional<KeyChord> parseKeys(const std::wstring& text, std::wstring& problem) {
  KeyChord keys;
  bool twice = false;
  const std::vector<std::wstring> parts = partsOf(text);
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    if (!takeModifier(parts[i], keys, twice)) {
      problem = L"\"" + parts[i] + L"\" in " + text +
                L" is no modifier: the keys are Super, Ctrl, Alt or Shift, then one key";
      return std::nullopt;
    }
  }
  if (twice) {
    problem = text + L" names a modifier twice";
    return std::nullopt;
  }
  if (!takeKey(parts.back(), keys)) {
    problem = L"\"" + parts.back() + L"\" in " + text +
              L" is no key: a letter, a digit, F1 to F24 or a key name such as Return";
    return std::nullopt;
  }
  // A plain letter would be taken from every program the user types in.
  if (!isFunctionKey(keys) && !keys.super && !keys.ctrl && !keys.alt) {
    problem = text + L" needs Super, Ctrl or Alt: every program would lose the key otherwise (" +
              L"Super+" + keysText(keys) + L" would work)";
    return std::nullopt;
  }
  return keys;
}

std::optional<KeyChord> keysOfVirtualKey(unsigned virtualKey, bool ctrl, bool alt, bool shift) {
  KeyChord keys;
  keys.ctrl = ctrl;
  keys.alt = alt;
  keys.shift = shift;
  keys.virtualKey = virtualKey;
  const bool letterOrDigit =
      (virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9');
  if (letterOrDigit) {
    keys.keysym = std::wstring(1, static_cast<wchar_t>(std::towlower(virtualKey)));
  } else if (isFunctionKey(keys)) {
    keys.keysym = L"F" + std::to_wstring(virtualKey - kVirtualF1 + 1);
  } else {
    for (const NamedKey& key : kNamedKeys) {
      if (key.virtualKey == virtualKey) {
        keys.keysym = key.keysym;
        break;
      }
    }
  }
  if (keys.keysym.empty()) return std::nullopt;
  return keys;
}

std::wstring keysText(const KeyChord& keys) {
  std::wstring text;
  if (keys.super) text += L"Super+";
  if (keys.ctrl) text += L"Ctrl+";
  if (keys.alt) text += L"Alt+";
  if (keys.shift) text += L"Shift+";
  if (keys.keysym.size() == 1) return text + static_cast<wchar_t>(std::towupper(keys.keysym[0]));
  return text + keys.keysym;
}

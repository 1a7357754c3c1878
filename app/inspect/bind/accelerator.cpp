#include "app/inspect/bind/accelerator.h"

#include <cwctype>

namespace {

std::wstring lowered(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

// Sets the flag GTK's modifier name stands for; false for one we never bind.
bool takeModifier(const std::wstring& name, KeyChord& keys) {
  const std::wstring modifier = lowered(name);
  if (modifier == L"super" || modifier == L"mod4") {
    keys.super = true;
  } else if (modifier == L"control" || modifier == L"ctrl" || modifier == L"ctl" ||
             modifier == L"primary") {
    keys.ctrl = true;
  } else if (modifier == L"alt" || modifier == L"mod1") {
    keys.alt = true;
  } else if (modifier == L"shift") {
    keys.shift = true;
  } else {
    return false;
  }
  return true;
}

// The key's name as KeyChord spells it: a letter in lower case, the page
// keys by their X names.
std::wstring keysymOf(const std::wstring& name) {
  if (name.size() == 1 && name[0] < 0x80) return lowered(name);
  if (name == L"Page_Up") return L"Prior";
  if (name == L"Page_Down") return L"Next";
  return name;
}

}  // namespace

std::wstring acceleratorOf(const KeyChord& keys) {
  std::wstring accelerator;
  if (keys.shift) accelerator += L"<Shift>";
  if (keys.ctrl) accelerator += L"<Control>";
  if (keys.alt) accelerator += L"<Alt>";
  if (keys.super) accelerator += L"<Super>";
  return accelerator + keys.keysym;
}

std::optional<KeyChord> chordOfAccelerator(const std::wstring& accelerator) {
  KeyChord keys;
  std::size_t at = 0;
  while (at < accelerator.size() && accelerator[at] == L'<') {
    const std::size_t end = accelerator.find(L'>', at);
    if (end == std::wstring::npos || !takeModifier(accelerator.substr(at + 1, end - at - 1), keys))
      return std::nullopt;
    at = end + 1;
  }
  const std::wstring name = accelerator.substr(at);
  if (name.empty() || name == L"disabled") return std::nullopt;
  keys.keysym = keysymOf(name);
  return keys;
}

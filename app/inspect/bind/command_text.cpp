#include "app/inspect/bind/command_text.h"

std::wstring titleFor(const std::wstring& profile) {
  return L"Tarvexel: " + profile.substr(profile.rfind(L'/') + 1);
}

bool isText(const std::wstring& path) {
  for (const wchar_t c : path) {
    if (c >= 0xD800 && c <= 0xDFFF) return false;
  }
  return true;
}

std::wstring boundAlready(const KeyChord& keys, const std::wstring& profile) {
  return keysText(keys) + L" is already bound by Tarvexel to " + profile +
         L" (--replace replaces it)";
}

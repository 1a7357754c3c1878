#include "app/inspect/profile_facts.h"

#include <cstdint>
#include <cwctype>

const ProfileString* firstValue(const ProfileEntries& entries, std::wstring_view key) {
  for (const ProfileEntry& entry : entries) {
    if (entry.key == key) return &entry.value;
  }
  return nullptr;
}

const ProfileSection* sectionNamed(const Profile& profile, std::wstring_view name) {
  for (const ProfileSection& section : profile.sections()) {
    if (section.name == name) return &section;
  }
  return nullptr;
}

bool isWindowRule(const ProfileSection& section) {
  if (section.name == L"default") return false;
  const ProfileString* className = firstValue(section.entries, L"class");
  const ProfileString* title = firstValue(section.entries, L"title");
  return (className != nullptr && !className->empty()) || (title != nullptr && !title->empty());
}

std::wstring sectionLabel(std::wstring_view name) {
  return L"[" + std::wstring(name) + L"]" +
         (name.empty() ? L" (the lines above the first header)" : L"");
}

std::wstring loosened(std::wstring_view text) {
  const std::size_t begin = text.find_first_not_of(L" \t\r");
  if (begin == std::wstring::npos) return {};
  const std::size_t end = text.find_last_not_of(L" \t\r");
  std::wstring result(text.substr(begin, end - begin + 1));
  for (wchar_t& c : result) c = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
  return result;
}

std::wstring quoted(std::wstring_view text) { return L"\"" + std::wstring(text) + L"\""; }

std::wstring handleText(HWND window) {
  auto value = reinterpret_cast<std::uintptr_t>(window);
  std::wstring digits;
  do {
    digits.insert(digits.begin(), L"0123456789abcdef"[value % 16]);
    value /= 16;
  } while (value != 0);
  return L"0x" + digits;
}

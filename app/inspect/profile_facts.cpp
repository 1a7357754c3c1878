#include "app/inspect/profile_facts.h"

#include <cstdint>
#include <cwctype>

#include "launcher/vocabulary.h"

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

std::wstring_view valueOr(const ProfileEntries& entries, std::wstring_view key,
                         std::wstring_view fallback) {
  const ProfileString* value = firstValue(entries, key);
  return value != nullptr ? std::wstring_view(*value) : fallback;
}

bool isWindowRule(const ProfileSection& section) {
  return vocabulary::isWindowRule(section.name, valueOr(section.entries, vocabulary::kClass, {}),
                                  valueOr(section.entries, vocabulary::kTitle, {}));
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

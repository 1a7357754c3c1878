#include "app/inspect/profile_facts.h"

#include <cstdint>

const std::wstring* firstValue(const ProfileEntries& entries, const std::wstring& key) {
  for (const ProfileEntry& entry : entries) {
    if (entry.key == key) return &entry.value;
  }
  return nullptr;
}

const ProfileSection* sectionNamed(const Profile& profile, const std::wstring& name) {
  for (const ProfileSection& section : profile.sections()) {
    if (section.name == name) return &section;
  }
  return nullptr;
}

bool isWindowRule(const ProfileSection& section) {
  if (section.name == L"default") return false;
  const std::wstring* className = firstValue(section.entries, L"class");
  const std::wstring* title = firstValue(section.entries, L"title");
  return (className != nullptr && !className->empty()) || (title != nullptr && !title->empty());
}

std::wstring sectionLabel(const std::wstring& name) {
  return L"[" + name + L"]" + (name.empty() ? L" (the lines above the first header)" : L"");
}

std::wstring quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring handleText(HWND window) {
  auto value = reinterpret_cast<std::uintptr_t>(window);
  std::wstring digits;
  do {
    digits.insert(digits.begin(), L"0123456789abcdef"[value % 16]);
    value /= 16;
  } while (value != 0);
  return L"0x" + digits;
}

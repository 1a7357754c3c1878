#include "profile/profile.h"

#include <algorithm>
#include <utility>

#include "profile/reader.h"

namespace {

// Builds "<prefix>[name]<suffix>" cut to what the message buffer holds.
std::wstring lookupMessage(const wchar_t* prefix, const std::wstring& name) {
  std::wstring text = prefix;
  text += L'[';
  text += name;
  text += L"]が見つかりません。";
  if (text.size() > kMessageChars - 1) text.resize(kMessageChars - 1);
  return text;
}

ProfileEntry* firstWithKey(ProfileEntries& entries, const std::wstring& key) {
  const auto found = std::find_if(entries.begin(), entries.end(),
                                  [&](const ProfileEntry& entry) { return entry.key == key; });
  return found == entries.end() ? nullptr : &*found;
}

}  // namespace

Profile::Profile(std::wstring path) : path_(std::move(path)) { parseLines(*this); }

ProfileEntries& Profile::findSection(const std::wstring& name, bool create) {
  for (ProfileSection& section : sections_) {
    if (section.name == name) return section.entries;
  }
  if (!create) throw ProfileLookupError(lookupMessage(L"セクション", name));
  sections_.push_back(ProfileSection{name, {}});
  return sections_.back().entries;
}

const ProfileEntry& Profile::findEntry(const ProfileEntries& entries, const std::wstring& key) {
  for (const ProfileEntry& entry : entries) {
    if (entry.key == key) return entry;
  }
  throw ProfileLookupError(lookupMessage(L"キー", key));
}

const std::wstring& Profile::getValue(const std::wstring& sectionName, const std::wstring& key) {
  return findEntry(findSection(sectionName, false), key).value;
}

const std::wstring& Profile::getValueOr(const std::wstring& sectionName, const std::wstring& key,
                                        const std::wstring& fallback, bool storeDefault) {
  try {
    return getValue(sectionName, key);
  } catch (const ProfileLookupError&) {
    if (storeDefault) setValue(sectionName, key, fallback, false);
    return fallback;
  }
}

bool Profile::setValue(const std::wstring& sectionName, const std::wstring& key,
                       const std::wstring& value, bool keepExisting) {
  ProfileEntries& entries = findSection(sectionName, true);
  if (ProfileEntry* existing = firstWithKey(entries, key)) {
    if (keepExisting) return false;
    existing->value = value;
    return true;
  }
  entries.push_back(ProfileEntry{key, value});
  return true;
}

void Profile::addEntry(const std::wstring& sectionName, std::wstring key, std::wstring value) {
  findSection(sectionName, true).push_back(ProfileEntry{std::move(key), std::move(value)});
}

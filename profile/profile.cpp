#include "profile/profile.h"

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

template <typename Entries>
auto firstWithKey(Entries& entries, const std::wstring& key) -> decltype(&entries.front()) {
  for (auto& entry : entries) {
    if (entry.key == key) return &entry;
  }
  return nullptr;
}

}  // namespace

Profile::Profile(std::wstring path) : path_(std::move(path)) { parseLines(*this); }

// Section names are unique, so the walk from the front has exactly one
// section to find; looking first where the last lookup ended, and just
// after it, finds that same section. It spares the walk to the two callers
// that ask again and again: the reader filing line after line into the
// section it is in, and rule selection asking for the keys of each section
// in turn. Any other name still walks the whole list.
ProfileSection* Profile::sectionNamed(const std::wstring& name) {
  for (const std::size_t guess : {lastFound_, lastFound_ + 1}) {
    if (guess < sections_.size() && sections_[guess].name == name) {
      lastFound_ = guess;
      return &sections_[guess];
    }
  }
  for (auto at = sections_.begin(); at != sections_.end(); ++at) {
    if (at->name == name) {
      lastFound_ = static_cast<std::size_t>(at - sections_.begin());
      return &*at;
    }
  }
  return nullptr;
}

ProfileEntries& Profile::appendSection(const std::wstring& name) {
  sections_.push_back(ProfileSection{name, {}});
  lastFound_ = sections_.size() - 1;
  return sections_.back().entries;
}

ProfileEntries& Profile::findSection(const std::wstring& name, bool create) {
  if (ProfileSection* section = sectionNamed(name)) return section->entries;
  if (!create) throw ProfileLookupError(lookupMessage(L"セクション", name));
  return appendSection(name);
}

const ProfileEntry& Profile::findEntry(const ProfileEntries& entries, const std::wstring& key) {
  if (const ProfileEntry* entry = firstWithKey(entries, key)) return *entry;
  throw ProfileLookupError(lookupMessage(L"キー", key));
}

const std::wstring& Profile::getValue(const std::wstring& sectionName, const std::wstring& key) {
  return findEntry(findSection(sectionName, false), key).value;
}

// The same outcome as getValue() with its ProfileLookupError caught and
// setValue(..., false) called, without raising: rule selection asks for
// keys most sections lack, and an exception for each would be most of the
// cost of a large profile.
const std::wstring& Profile::getValueOr(const std::wstring& sectionName, const std::wstring& key,
                                        const std::wstring& fallback, bool storeDefault) {
  ProfileSection* section = sectionNamed(sectionName);
  if (section != nullptr) {
    if (const ProfileEntry* entry = firstWithKey(section->entries, key)) return entry->value;
  }
  if (storeDefault) {
    ProfileEntries& entries = section != nullptr ? section->entries : appendSection(sectionName);
    entries.push_back(ProfileEntry{key, fallback});
  }
  return fallback;
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

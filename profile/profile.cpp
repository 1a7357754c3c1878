#include "profile/profile.h"

#include <utility>

#include "platform/services.h"
#include "profile/reader.h"

namespace {

// The arena's first block: a usual profile fits in it; a large one gets
// ever larger blocks.
constexpr std::size_t kFirstBlockBytes = 16 * 1024;

// Builds "<prefix>[name]<suffix>" cut to what the message buffer holds.
std::wstring lookupMessage(const wchar_t* prefix, std::wstring_view name) {
  std::wstring text = prefix;
  text += L'[';
  text += name;
  text += L"]が見つかりません。";
  if (text.size() > kMessageChars - 1) text.resize(kMessageChars - 1);
  return text;
}

template <typename Entries>
auto firstWithKey(Entries& entries, std::wstring_view key) -> decltype(&entries.front()) {
  for (auto& entry : entries) {
    if (entry.key == key) return &entry;
  }
  return nullptr;
}

}  // namespace

Profile::Profile(std::wstring path)
    : path_(std::move(path)),
      arena_(kFirstBlockBytes, arenaBlocks()),
      sections_(&arena_),
      index_(&arena_) {
  parseLines(*this);
}

ProfileSection* Profile::sectionNamed(std::wstring_view name) {
  const auto found = index_.find(name);
  return found == index_.end() ? nullptr : found->second;
}

ProfileEntries& Profile::appendSection(std::wstring_view name) {
  ProfileSection& section = sections_.emplace_back(name, &arena_);
  index_.emplace(section.name, &section);
  return section.entries;
}

void Profile::appendEntry(ProfileEntries& entries, std::wstring_view key,
                          std::wstring_view value) {
  entries.emplace_back(ProfileEntry{ProfileString(key.data(), key.size(), &arena_),
                                    ProfileString(value.data(), value.size(), &arena_)});
}

void Profile::clear() {
  index_.clear();
  sections_.clear();
}

ProfileEntries& Profile::findSection(std::wstring_view name, bool create) {
  if (ProfileSection* section = sectionNamed(name)) return section->entries;
  if (!create) throw ProfileLookupError(lookupMessage(L"セクション", name));
  return appendSection(name);
}

const ProfileEntry& Profile::findEntry(const ProfileEntries& entries, std::wstring_view key) {
  if (const ProfileEntry* entry = firstWithKey(entries, key)) return *entry;
  throw ProfileLookupError(lookupMessage(L"キー", key));
}

const ProfileString& Profile::getValue(std::wstring_view sectionName, std::wstring_view key) {
  return findEntry(findSection(sectionName, false), key).value;
}

// The same outcome as getValue() with its ProfileLookupError caught and
// setValue(..., false) called, without raising: rule selection asks for
// keys most sections lack, and an exception for each would be most of the
// cost of a large profile.
const ProfileString& Profile::getValueOr(std::wstring_view sectionName, std::wstring_view key,
                                         const ProfileString& fallback, bool storeDefault) {
  ProfileSection* section = sectionNamed(sectionName);
  if (section != nullptr) {
    if (const ProfileEntry* entry = firstWithKey(section->entries, key)) return entry->value;
  }
  if (storeDefault) {
    appendEntry(section != nullptr ? section->entries : appendSection(sectionName), key,
                fallback);
  }
  return fallback;
}

bool Profile::setValue(std::wstring_view sectionName, std::wstring_view key,
                       std::wstring_view value, bool keepExisting) {
  ProfileEntries& entries = findSection(sectionName, true);
  if (ProfileEntry* existing = firstWithKey(entries, key)) {
    if (keepExisting) return false;
    existing->value.assign(value.data(), value.size());
    return true;
  }
  appendEntry(entries, key, value);
  return true;
}

void Profile::addEntry(std::wstring_view sectionName, std::wstring_view key,
                       std::wstring_view value) {
  appendEntry(findSection(sectionName, true), key, value);
}

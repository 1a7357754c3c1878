// The profile in memory: named sections in file order, each an ordered list
// of key/value entries. Everything is compared exactly, code unit by code
// unit: names and keys are case-sensitive and never trimmed.
#ifndef TARVEXEL_PROFILE_PROFILE_H
#define TARVEXEL_PROFILE_PROFILE_H

#include <cstddef>
#include <deque>
#include <memory_resource>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/services.h"
#include "profile/reader.h"

// Room for a lookup error's text and its terminator, as the original buffer had.
constexpr std::size_t kMessageChars = 512;

// The names, keys and values of a profile live in the profile's own arena:
// a large profile is a hundred thousand strings, and allocating and freeing
// each on its own costs more than reading the file.
using ProfileString = std::pmr::wstring;

struct ProfileEntry {
  ProfileString key;
  ProfileString value;
};

// Deques, because lookups hand out references into them that must survive
// later appends: a default recorded in one section, or a new section, never
// moves an entry that someone already holds.
using ProfileEntries = std::pmr::deque<ProfileEntry>;

struct ProfileSection {
  // Made in place: a deque moved into the list would leave behind the map
  // and block it had already taken from the arena, doubling what every
  // section costs.
  ProfileSection(std::wstring_view sectionName, std::pmr::memory_resource* arena)
      : name(sectionName.data(), sectionName.size(), arena), entries(arena) {}

  ProfileString name;
  ProfileEntries entries;
};

using ProfileSections = std::pmr::deque<ProfileSection>;

// The hash of a section's name, as std::hash makes it. A hasher of our own
// also tells libstdc++ that hashing is cheap: given std::hash of a string
// itself, it searches a table of up to 20 names by comparing each in turn,
// which costs a usual profile more than hashing the name once.
struct SectionNameHash {
  std::size_t operator()(std::wstring_view name) const noexcept {
    return std::hash<std::wstring_view>()(name);
  }
};

// Raised when a section or key is missing. Callers only tell it from success;
// the text is built for completeness and shown nowhere.
class ProfileLookupError {
 public:
  explicit ProfileLookupError(std::wstring message) : message_(std::move(message)) {}
  const std::wstring& message() const { return message_; }

 private:
  std::wstring message_;
};

class Profile {
 public:
  // Loads the file at `path`. Never raises for a missing or unreadable file:
  // loadFailed() tells.
  explicit Profile(std::wstring path);
  Profile(const Profile&) = delete;
  Profile& operator=(const Profile&) = delete;

  const std::wstring& path() const { return path_; }
  bool loadFailed() const { return loadFailed_; }
  // Why loading failed, for the companion program to tell: the number of the
  // line that was too long (counting from 1), or 0; and the error number of
  // a failed open, or 0.
  std::size_t refusedLine() const { return refusedLine_; }
  int openError() const { return openError_; }
  // How the file's bytes were read, for the companion program to tell.
  TextEncoding encoding() const { return encoding_; }
  const ProfileSections& sections() const { return sections_; }

  ProfileEntries& findSection(std::wstring_view name, bool create);
  static const ProfileEntry& findEntry(const ProfileEntries& entries, std::wstring_view key);
  const ProfileString& getValue(std::wstring_view sectionName, std::wstring_view key);
  // The stored value, or `fallback` itself (not a copy) when the section or
  // key is missing; with storeDefault the fallback is recorded first.
  const ProfileString& getValueOr(std::wstring_view sectionName, std::wstring_view key,
                                  const ProfileString& fallback, bool storeDefault);
  bool setValue(std::wstring_view sectionName, std::wstring_view key, std::wstring_view value,
                bool keepExisting);
  void addEntry(std::wstring_view sectionName, std::wstring_view key, std::wstring_view value);
  // The same, to entries that findSection gave: a reader filing a section's
  // lines looks the section up once, not once a line.
  void addEntry(ProfileEntries& entries, std::wstring_view key, std::wstring_view value) {
    appendEntry(entries, key, value);
  }

 private:
  friend void loadLines(Profile& profile, const LineSink& take);
  friend bool parseLines(Profile& profile);

  // The section of that name, or null; raises nothing.
  ProfileSection* sectionNamed(std::wstring_view name);
  ProfileEntries& appendSection(std::wstring_view name);
  void appendEntry(ProfileEntries& entries, std::wstring_view key, std::wstring_view value);
  void clear();

  std::wstring path_;
  bool loadFailed_ = false;
  std::size_t refusedLine_ = 0;
  int openError_ = 0;
  TextEncoding encoding_;
  // Declared before what it holds, so that it goes last.
  std::pmr::monotonic_buffer_resource arena_;
  ProfileSections sections_;
  // Each section by its name (the name as the section holds it). Names are
  // unique, so a new header is told from a known one at once, however many
  // sections came before.
  std::pmr::unordered_map<std::wstring_view, ProfileSection*, SectionNameHash> index_;
};

#endif

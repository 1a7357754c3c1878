// The profile in memory: named sections in file order, each an ordered list
// of key/value entries. Everything is compared exactly, code unit by code
// unit: names and keys are case-sensitive and never trimmed.
#ifndef TARVEXEL_PROFILE_PROFILE_H
#define TARVEXEL_PROFILE_PROFILE_H

#include <cstddef>
#include <deque>
#include <string>

#include "profile/reader.h"

// Room for a lookup error's text and its terminator, as the original buffer had.
constexpr std::size_t kMessageChars = 512;

struct ProfileEntry {
  std::wstring key;
  std::wstring value;
};

// Deques, because lookups hand out references into them that must survive
// later appends: a default recorded in one section, or a new section, never
// moves an entry that someone already holds.
using ProfileEntries = std::deque<ProfileEntry>;

struct ProfileSection {
  std::wstring name;
  ProfileEntries entries;
};

using ProfileSections = std::deque<ProfileSection>;

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

  const std::wstring& path() const { return path_; }
  bool loadFailed() const { return loadFailed_; }
  // Why loading failed, for the companion program to tell: the number of the
  // line that was too long (counting from 1), or 0; and the error number of
  // a failed open, or 0.
  std::size_t refusedLine() const { return refusedLine_; }
  int openError() const { return openError_; }
  const ProfileSections& sections() const { return sections_; }

  ProfileEntries& findSection(const std::wstring& name, bool create);
  static const ProfileEntry& findEntry(const ProfileEntries& entries, const std::wstring& key);
  const std::wstring& getValue(const std::wstring& sectionName, const std::wstring& key);
  // The stored value, or `fallback` itself (not a copy) when the section or
  // key is missing; with storeDefault the fallback is recorded first.
  const std::wstring& getValueOr(const std::wstring& sectionName, const std::wstring& key,
                                 const std::wstring& fallback, bool storeDefault);
  bool setValue(const std::wstring& sectionName, const std::wstring& key,
                const std::wstring& value, bool keepExisting);
  void addEntry(const std::wstring& sectionName, std::wstring key, std::wstring value);

 private:
  friend void loadLines(Profile& profile, const LineSink& take);
  friend bool parseLines(Profile& profile);

  // The section of that name, or null; raises nothing.
  ProfileSection* sectionNamed(const std::wstring& name);
  ProfileEntries& appendSection(const std::wstring& name);

  std::wstring path_;
  ProfileSections sections_;
  bool loadFailed_ = false;
  std::size_t refusedLine_ = 0;
  int openError_ = 0;
  // Where the last section lookup ended: see sectionNamed().
  std::size_t lastFound_ = 0;
};

#endif

// Read-only questions about a loaded profile, and how its parts are written
// in the companion program's reports. Nothing here records anything in the
// profile, unlike the selection's lookups.
#ifndef TARVEXEL_APP_INSPECT_PROFILE_FACTS_H
#define TARVEXEL_APP_INSPECT_PROFILE_FACTS_H

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/services.h"
#include "profile/profile.h"

// The value of the first entry with this key, as a lookup finds it; null
// when the section has none.
const ProfileString* firstValue(const ProfileEntries& entries, std::wstring_view key);

// The value of the first entry with this key, or `fallback` when there is
// none.
std::wstring_view valueOr(const ProfileEntries& entries, std::wstring_view key,
                         std::wstring_view fallback);

// The section of that name as the profile holds it, or null.
const ProfileSection* sectionNamed(const Profile& profile, std::wstring_view name);

// A section the selection would look at as a window rule, as the
// launcher tells one.
bool isWindowRule(const ProfileSection& section);

// [name], and for the section of the lines above the first header a note.
std::wstring sectionLabel(std::wstring_view name);

// Lower case, without the blanks, tabs and carriage returns around it: two
// texts equal so differ only in what a person easily overlooks.
std::wstring loosened(std::wstring_view text);

// The text in double quotes, as written in the profile.
std::wstring quoted(std::wstring_view text);

template <std::size_t N>
bool isOneOf(std::wstring_view text, const std::wstring_view (&words)[N]) {
  for (const std::wstring_view word : words) {
    if (text == word) return true;
  }
  return false;
}

// Words as a sentence lists them: "a, b and c", with "and" or "or" as
// `conjunction`, each in double quotes when `inQuotes`.
template <std::size_t N>
std::wstring listOf(const std::wstring_view (&words)[N], std::wstring_view conjunction,
                    bool inQuotes = false) {
  std::wstring text;
  for (std::size_t i = 0; i < N; ++i) {
    if (i > 0) text += i + 1 < N ? std::wstring(L", ") : L" " + std::wstring(conjunction) + L" ";
    text += inQuotes ? quoted(words[i]) : std::wstring(words[i]);
  }
  return text;
}

// A window handle as the reports show it: 0x and hexadecimal digits.
std::wstring handleText(HWND window);

#endif

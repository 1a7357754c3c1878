#include "app/inspect/bind/config_keys.h"

#include <cwctype>
#include <vector>

namespace {

const wchar_t* const kSwayOthers[] = {L"Super", L"Super", L"Control", L"Ctrl", L"Alt", L"Alt",
                                      nullptr};
const wchar_t* const kRcXmlOthers[] = {L"Mod4", L"Super", L"Mod1", L"Alt", nullptr};

bool sameLetters(const std::wstring& a, const wchar_t* b) {
  const std::wstring other(b);
  if (a.size() != other.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(a[i]) != std::towlower(other[i])) return false;
  }
  return true;
}

// Our name of a modifier the desktop names so; empty for one it is not.
std::wstring ourModifier(const std::wstring& name, const KeySpelling& spelling) {
  const struct {
    const wchar_t* theirs;
    const wchar_t* ours;
  } names[] = {{spelling.super, L"Super"},
               {spelling.ctrl, L"Ctrl"},
               {spelling.alt, L"Alt"},
               {spelling.shift, L"Shift"}};
  for (const auto& pair : names) {
    if (sameLetters(name, pair.theirs)) return pair.ours;
  }
  for (const wchar_t* const* other = spelling.others; *other != nullptr; other += 2) {
    if (sameLetters(name, other[0])) return other[1];
  }
  return {};
}

}  // namespace

const KeySpelling kSwayKeys{L"Mod4", L"Ctrl", L"Mod1", L"Shift", L'+', kSwayOthers};
const KeySpelling kRcXmlKeys{L"W", L"C", L"A", L"S", L'-', kRcXmlOthers};

std::wstring spelled(const KeyChord& keys, const KeySpelling& spelling) {
  std::wstring text;
  if (keys.super) text += spelling.super + std::wstring(1, spelling.joiner);
  if (keys.ctrl) text += spelling.ctrl + std::wstring(1, spelling.joiner);
  if (keys.alt) text += spelling.alt + std::wstring(1, spelling.joiner);
  if (keys.shift) text += spelling.shift + std::wstring(1, spelling.joiner);
  return text + keys.keysym;
}

std::optional<KeyChord> readSpelled(const std::wstring& text, const KeySpelling& spelling) {
  std::vector<std::wstring> parts(1);
  for (const wchar_t c : text) {
    if (c == spelling.joiner && !parts.back().empty()) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  std::wstring ours;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    const std::wstring modifier = ourModifier(parts[i], spelling);
    if (modifier.empty()) return std::nullopt;
    ours += modifier + L"+";
  }
  std::wstring problem;
  return parseKeys(ours + parts.back(), problem);
}

std::wstring quotedCommand(const LaunchCommand& command) {
  const auto quoted = [](const std::wstring& word) {
    std::wstring text = L"'";
    for (const wchar_t c : word) text += c == L'\'' ? std::wstring(L"'\\''") : std::wstring(1, c);
    return text + L"'";
  };
  return quoted(command.program) + L" " + quoted(command.profile);
}

std::optional<std::wstring> profileOf(const std::wstring& command) {
  if (!runsTarvexel(command)) return std::nullopt;
  const std::vector<std::wstring> words = commandWords(command);
  return words.size() > 1 ? words[1] : std::wstring();
}

std::wstring takenMessage(const KeyChord& keys, const std::wstring& desktop,
                          const std::wstring& holder, bool ours) {
  if (ours) {
    return keysText(keys) + L" already runs tarvexel on " + desktop + L": " + holder +
           L" (--replace replaces it)";
  }
  return keysText(keys) + L" is taken on " + desktop + L": " + holder;
}

std::wstring notOursMessage(const KeyChord& keys, const std::wstring& desktop,
                            const std::wstring& holder) {
  return keysText(keys) + L" is no key of Tarvexel's on " + desktop +
         (holder.empty() ? L"" : L": " + holder + L" holds it, and stays");
}

#include "app/inspect/bind/command_text.h"

namespace {

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n'; }

// Inside "...", a backslash escapes only these.
bool escapesInDoubleQuotes(wchar_t c) {
  return c == L'$' || c == L'`' || c == L'"' || c == L'\\' || c == L'\n';
}

}  // namespace

std::vector<std::wstring> commandWords(const std::wstring& command) {
  std::vector<std::wstring> words;
  std::wstring word;
  bool inWord = false;
  wchar_t quote = 0;
  for (std::size_t i = 0; i < command.size(); ++i) {
    const wchar_t c = command[i];
    const bool escaping = c == L'\\' && i + 1 < command.size() && quote != L'\'' &&
                          (quote == 0 || escapesInDoubleQuotes(command[i + 1]));
    if (escaping) {
      word += command[++i];
      inWord = true;
    } else if (quote != 0) {
      if (c == quote) {
        quote = 0;
      } else {
        word += c;
      }
    } else if (c == L'\'' || c == L'"') {
      quote = c;
      inWord = true;
    } else if (isBlank(c)) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

std::wstring profileOf(const std::wstring& command) {
  const std::vector<std::wstring> words = commandWords(command);
  return words.size() > 1 ? words[1] : std::wstring();
}

std::wstring titleFor(const std::wstring& profile) {
  return L"Tarvexel: " + profile.substr(profile.rfind(L'/') + 1);
}

bool isText(const std::wstring& path) {
  for (const wchar_t c : path) {
    if (c >= 0xD800 && c <= 0xDFFF) return false;
  }
  return true;
}

std::wstring boundAlready(const KeyChord& keys, const std::wstring& profile) {
  return keysText(keys) + L" is already bound by Tarvexel to " + profile +
         L" (--replace replaces it)";
}

#include "app/inspect/bind/binder.h"

#include <string>
#include <vector>

namespace {

// The program a command runs: its first word, without the quotes a shell
// or a desktop entry would take away.
std::wstring firstWord(const std::wstring& command) {
  std::wstring word;
  wchar_t quote = 0;
  for (const wchar_t c : command) {
    if (quote != 0) {
      if (c == quote) {
        quote = 0;
      } else {
        word += c;
      }
    } else if (c == L'"' || c == L'\'') {
      quote = c;
    } else if (c == L' ' || c == L'\t') {
      if (!word.empty()) break;
    } else {
      word += c;
    }
  }
  return word;
}

// Takes the character after a backslash at `i` where a POSIX shell would:
// anywhere outside single quotes, but inside double quotes only before
// the characters that are special there.
bool escapes(const std::wstring& command, std::size_t i, wchar_t quote) {
  if (command[i] != L'\\' || quote == L'\'' || i + 1 == command.size()) return false;
  return quote == 0 || std::wstring(L"\"\\$`").find(command[i + 1]) != std::wstring::npos;
}

std::wstring baseName(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"/\\");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

// Unlike firstWord, which a path of Windows' passes through whole.
std::vector<std::wstring> commandWords(const std::wstring& command) {
  std::vector<std::wstring> words;
  bool inWord = false;
  wchar_t quote = 0;
  for (std::size_t i = 0; i < command.size(); ++i) {
    const wchar_t c = command[i];
    if (quote == 0 && (c == L' ' || c == L'\t' || c == L'\n')) {
      inWord = false;
      continue;
    }
    if (!inWord) words.emplace_back();
    inWord = true;
    if (escapes(command, i, quote)) {
      words.back() += command[++i];
    } else if (c == quote) {
      quote = 0;
    } else if (quote == 0 && (c == L'"' || c == L'\'')) {
      quote = c;
    } else {
      words.back() += c;
    }
  }
  return words;
}

bool runsTarvexel(const std::wstring& command) {
  const std::wstring name = baseName(firstWord(command));
  return name == L"tarvexel" || name == L"tarvexel.exe";
}

std::wstring shellQuoted(const std::wstring& word) {
  const bool plain = !word.empty() && word.find_first_not_of(
                                          L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                          L"0123456789_-./:,+@%=") == std::wstring::npos;
  if (plain) return word;
  std::wstring quoted = L"'";
  for (const wchar_t c : word) quoted += c == L'\'' ? std::wstring(L"'\\''") : std::wstring(1, c);
  return quoted + L"'";
}

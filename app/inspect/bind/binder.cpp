#include "app/inspect/bind/binder.h"

#include <string>


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

std::wstring baseName(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"/\\");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

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

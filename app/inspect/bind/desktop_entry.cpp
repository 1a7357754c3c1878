#include "app/inspect/bind/desktop_entry.h"

#include <cstdlib>
#include <fstream>

#include "app/inspect/bind/binder.h"
#include "app/inspect/bind/command_text.h"
#include "platform/posix/utf8.h"

namespace {

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string unescaped(const std::string& value) {
  std::string text;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      text += value[i];
      continue;
    }
    const char c = value[++i];
    text += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
  }
  return text;
}

// A word needs quotes when it holds one of the characters the format
// reserves, or is empty.
bool needsQuotes(const std::wstring& word) {
  return word.empty() || word.find_first_of(L" \t\n\"'\\><~|&;$*?#()`") != std::wstring::npos;
}

std::string environmentOr(const char* name, const std::string& otherwise) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : otherwise;
}

}  // namespace

std::map<std::string, std::wstring> desktopEntry(const std::string& path) {
  std::map<std::string, std::wstring> entry;
  std::ifstream file(path, std::ios::binary);
  bool inEntry = false;
  for (std::string line; std::getline(file, line);) {
    line = trimmed(line);
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      inEntry = line == "[Desktop Entry]";
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!inEntry || equals == std::string::npos) continue;
    const std::string key = trimmed(line.substr(0, equals));
    if (key.find('[') == std::string::npos)
      entry.emplace(key, utf8::widenLossless(unescaped(trimmed(line.substr(equals + 1)))));
  }
  return entry;
}

std::wstring execOf(const std::wstring& program, const std::wstring& profile) {
  const bool quoted = needsQuotes(program);
  std::wstring exec = quoted ? L"\"" : L"";
  for (const wchar_t c : program) {
    if (quoted && (c == L'"' || c == L'`' || c == L'$' || c == L'\\')) exec += L'\\';
    exec += c;
  }
  exec += quoted ? L"\" " : L" ";
  return exec + shellQuoted(profile);
}

std::vector<std::wstring> execWords(const std::wstring& exec) {
  std::vector<std::wstring> words = commandWords(exec);
  for (std::wstring& word : words) {
    for (std::size_t at = word.find(L"%%"); at != std::wstring::npos; at = word.find(L"%%", at + 1))
      word.erase(at, 1);
  }
  return words;
}

std::string escapedValue(const std::wstring& value) {
  std::string escaped;
  for (const char c : utf8::narrow(value)) {
    switch (c) {
      case '\\': escaped += "\\\\"; break;
      case '\n': escaped += "\\n"; break;
      case '\t': escaped += "\\t"; break;
      case '\r': escaped += "\\r"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::vector<std::string> dataFolders() {
  std::vector<std::string> folders{
      environmentOr("XDG_DATA_HOME", environmentOr("HOME", "") + "/.local/share")};
  const std::string system = environmentOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
  std::size_t start = 0;
  for (std::size_t end = 0; end != std::string::npos; start = end + 1) {
    end = system.find(':', start);
    if (end != start) folders.push_back(system.substr(start, end - start));
  }
  return folders;
}

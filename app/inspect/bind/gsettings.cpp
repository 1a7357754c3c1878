#include "app/inspect/bind/gsettings.h"

#include <cstdio>

#include "app/inspect/bind/program_output.h"
#include "platform/posix/utf8.h"

namespace gsettings {
namespace {

// The character GVariant text gives for an escape, or 0 for one that
// stands for the character after the backslash itself.
char controlOf(char letter) {
  switch (letter) {
    case 'a': return '\a';
    case 'b': return '\b';
    case 'f': return '\f';
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    case 'v': return '\v';
    default: return 0;
  }
}

// \uXXXX and \UXXXXXXXX: the character, as UTF-8; `at` is past the digits.
std::string codePoint(const std::string& text, std::size_t& at, std::size_t digits) {
  unsigned long value = 0;
  std::size_t read = 0;
  for (; read < digits && at < text.size(); ++read, ++at) {
    const char c = text[at];
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    if (digit < 0) break;
    value = value * 16 + static_cast<unsigned long>(digit);
  }
  return utf8::narrow(std::wstring(1, static_cast<wchar_t>(value)));
}

// The string literal that opens at `at`; `at` ends past its closing quote.
std::string literalAt(const std::string& text, std::size_t& at) {
  const char quote = text[at++];
  std::string bytes;
  while (at < text.size() && text[at] != quote) {
    if (text[at] != '\\' || at + 1 == text.size()) {
      bytes += text[at++];
      continue;
    }
    const char escaped = text[at + 1];
    at += 2;
    if (escaped == 'u' || escaped == 'U') {
      bytes += codePoint(text, at, escaped == 'u' ? 4 : 8);
    } else {
      const char control = controlOf(escaped);
      bytes += control != 0 ? control : escaped;
    }
  }
  ++at;
  return bytes;
}

std::string gsettingsSays(const ProgramOutput& run) {
  return run.err.empty() ? "gsettings failed" : run.err.substr(0, run.err.find_last_not_of('\n') + 1);
}

}  // namespace

std::vector<std::wstring> stringsIn(const std::string& text) {
  std::vector<std::wstring> strings;
  for (std::size_t at = 0; at < text.size();) {
    if (text[at] == '\'' || text[at] == '"') {
      strings.push_back(utf8::widenLossless(literalAt(text, at)));
    } else {
      ++at;
    }
  }
  return strings;
}

std::string literal(const std::wstring& text) {
  std::string quoted = "'";
  for (const wchar_t c : text) {
    if (c == L'\'' || c == L'\\') {
      quoted += '\\';
      quoted += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
      quoted += escape;
    } else {
      quoted += utf8::narrow(std::wstring(1, c));
    }
  }
  return quoted + "'";
}

std::string listLiteral(const std::vector<std::wstring>& items) {
  if (items.empty()) return "@as []";
  std::string list = "[";
  for (const std::wstring& item : items) list += (list.size() > 1 ? ", " : "") + literal(item);
  return list + "]";
}

std::vector<Key> keysOf(const std::string& schema) {
  const ProgramOutput run = runProgram({"gsettings", "list-recursively", schema});
  std::vector<Key> keys;
  if (!run.succeeded) return keys;
  std::size_t start = 0;
  for (std::size_t end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = run.out.substr(start, end - start);
    const std::size_t first = line.find(' ');
    const std::size_t second = line.find(' ', first + 1);
    if (first == std::string::npos || second == std::string::npos) continue;
    keys.push_back({line.substr(0, first), line.substr(first + 1, second - first - 1),
                    line.substr(second + 1)});
  }
  return keys;
}

std::optional<std::string> get(const std::string& schema, const std::string& key,
                               std::wstring& why) {
  const ProgramOutput run = runProgram({"gsettings", "get", schema, key});
  if (!run.succeeded) {
    why = utf8::widenLossless(gsettingsSays(run));
    return std::nullopt;
  }
  return run.out.substr(0, run.out.find_last_not_of('\n') + 1);
}

bool set(const std::string& schema, const std::string& key, const std::string& value,
         std::wstring& why) {
  const ProgramOutput run = runProgram({"gsettings", "set", schema, key, value});
  if (!run.succeeded) why = utf8::widenLossless(gsettingsSays(run));
  return run.succeeded;
}

bool resetAll(const std::string& schema, std::wstring& why) {
  const ProgramOutput run = runProgram({"gsettings", "reset-recursively", schema});
  if (!run.succeeded) why = utf8::widenLossless(gsettingsSays(run));
  return run.succeeded;
}

}  // namespace gsettings

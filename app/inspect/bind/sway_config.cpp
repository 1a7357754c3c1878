#include "app/inspect/bind/sway_config.h"

#include <algorithm>
#include <cwctype>

#include "app/inspect/bind/config_keys.h"

namespace {

std::wstring trimmed(const std::wstring& text) {
  std::size_t first = 0;
  std::size_t end = text.size();
  while (first < end && std::iswspace(text[first])) ++first;
  while (end > first && std::iswspace(text[end - 1])) --end;
  return text.substr(first, end - first);
}

std::wstring withoutLineFeed(const std::wstring& line) {
  return !line.empty() && line.back() == L'\n' ? line.substr(0, line.size() - 1) : line;
}

// The line at `next` and those a backslash at their end continues it with,
// as one; `next` moves past them.
std::wstring logicalLine(const std::vector<std::wstring>& lines, std::size_t& next) {
  std::wstring text = withoutLineFeed(lines[next++]);
  while (!text.empty() && text.back() == L'\\' && next < lines.size()) {
    text.pop_back();
    text += withoutLineFeed(lines[next++]);
  }
  return text;
}

// sway opens a block also with a "{" alone on the next line that is not
// blank; `next` then moves past it.
bool braceFollows(const std::vector<std::wstring>& lines, std::size_t& next) {
  for (std::size_t i = next; i < lines.size(); ++i) {
    const std::wstring text = trimmed(lines[i]);
    if (text.empty()) continue;
    if (text != L"{") return false;
    next = i + 1;
    return true;
  }
  return false;
}

// Words as sway splits a command: at blanks outside quotes, the quotes kept.
std::vector<std::wstring> swayWords(const std::wstring& text) {
  std::vector<std::wstring> words;
  wchar_t quote = 0;
  bool inWord = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (quote == 0 && std::iswspace(c)) {
      inWord = false;
      continue;
    }
    if (!inWord) words.emplace_back();
    inWord = true;
    words.back() += c;
    if (c == L'\\' && i + 1 < text.size()) {
      words.back() += text[++i];
    } else if (c == quote) {
      quote = 0;
    } else if (quote == 0 && (c == L'"' || c == L'\'')) {
      quote = c;
    }
  }
  return words;
}

std::wstring joined(const std::vector<std::wstring>& words, std::size_t from) {
  std::wstring text;
  for (std::size_t i = from; i < words.size(); ++i) text += (i > from ? L" " : L"") + words[i];
  return text;
}

std::wstring unquoted(const std::wstring& word) {
  if (word.size() >= 2 && (word[0] == L'"' || word[0] == L'\'') && word.back() == word[0]) {
    return word.substr(1, word.size() - 2);
  }
  return word;
}

// $name replaced by its value as sway does it: the longest name that
// matches, "$$" for a "$", and a "$" after a backslash left alone.
std::wstring expanded(const std::wstring& text, const SwayVariables& variables) {
  std::wstring result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool escaped = i > 0 && text[i - 1] == L'\\' && !(i > 1 && text[i - 2] == L'\\');
    if (text[i] != L'$' || escaped) {
      result += text[i];
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == L'$') {
      result += text[++i];
      continue;
    }
    const auto variable = std::find_if(variables.begin(), variables.end(), [&](const auto& v) {
      return text.compare(i, v.first.size(), v.first) == 0;
    });
    if (variable == variables.end()) {
      result += text[i];
    } else {
      result += variable->second;
      i += variable->first.size() - 1;
    }
  }
  return result;
}

void setVariable(SwayVariables& variables, const std::wstring& name, const std::wstring& value) {
  variables.erase(std::remove_if(variables.begin(), variables.end(),
                                 [&](const auto& v) { return v.first == name; }),
                  variables.end());
  const auto place = std::find_if(variables.begin(), variables.end(),
                                  [&](const auto& v) { return v.first.size() < name.size(); });
  variables.insert(place, {name, value});
}

// One command of the file, in full (the block it is in before it).
void readCommand(const std::wstring& command, const std::wstring& written, LineSpan lines,
                 SwayVariables& variables, SwayConfig& config) {
  const std::vector<std::wstring> raw = swayWords(command);
  if (raw.size() >= 3 && raw[0] == L"set" && raw[1].size() > 1 && raw[1][0] == L'$') {
    setVariable(variables, raw[1], expanded(joined(raw, 2), variables));
    return;
  }
  const std::vector<std::wstring> words = swayWords(expanded(command, variables));
  if (words.size() == 2 && words[0] == L"include") {
    config.includes.push_back({unquoted(words[1]), lines});
    return;
  }
  if (words.empty() || words[0] != L"bindsym") return;
  std::size_t keys = 1;
  while (keys < words.size() && words[keys].compare(0, 2, L"--") == 0) ++keys;
  if (keys + 1 >= words.size()) return;
  config.bindings.push_back(
      {readSpelled(unquoted(words[keys]), kSwayKeys), joined(words, keys + 1), written, lines});
}

}  // namespace

std::vector<std::wstring> splitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t feed = text.find(L'\n', start);
    const std::size_t end = feed == std::wstring::npos ? text.size() : feed + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

SwayConfig readSwayConfig(const std::vector<std::wstring>& lines, SwayVariables& variables) {
  SwayConfig config;
  std::vector<std::wstring> blocks;  // the innermost last, in full ("mode \"resize\"")
  std::size_t next = 0;
  while (next < lines.size()) {
    LineSpan span{next, next};
    std::wstring text = trimmed(logicalLine(lines, next));
    span.end = next;
    if (text.empty() || text[0] == L'#') continue;
    if (text == L"}") {
      if (!blocks.empty()) blocks.pop_back();
      continue;
    }
    const std::wstring written = text;
    if (text.back() != L'{' && braceFollows(lines, next)) text += L" {";
    const std::wstring full = blocks.empty() ? text : blocks.back() + L" " + text;
    if (full.back() == L'{') {
      blocks.push_back(trimmed(full.substr(0, full.size() - 1)));
    } else {
      readCommand(full, written, span, variables, config);
    }
  }
  return config;
}

std::wstring withLineAdded(const std::wstring& text, const std::wstring& line) {
  if (text.empty()) return line + L"\n";
  return text.back() == L'\n' ? text + line + L"\n" : text + L"\n" + line;
}

std::wstring withoutLines(const std::vector<std::wstring>& lines, std::vector<LineSpan> spans) {
  std::vector<std::wstring> kept = lines;
  std::sort(spans.begin(), spans.end(),
            [](const LineSpan& a, const LineSpan& b) { return a.first > b.first; });
  for (const LineSpan& span : spans) {
    const bool last = span.end == kept.size() && span.end > span.first;
    if (last && kept.back().back() != L'\n' && span.first > 0) kept[span.first - 1].pop_back();
    kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(span.first),
               kept.begin() + static_cast<std::ptrdiff_t>(span.end));
  }
  std::wstring text;
  for (const std::wstring& line : kept) text += line;
  return text;
}

std::wstring execCommand(const std::wstring& command) {
  const std::vector<std::wstring> words = swayWords(command);
  if (words.empty() || (words[0] != L"exec" && words[0] != L"exec_always")) return {};
  const std::size_t start = words.size() > 1 && words[1] == L"--no-startup-id" ? 2 : 1;
  return joined(words, start);
}

#include "platform/posix/words.h"

#include <cstring>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

bool quotableInDoubleQuotes(char c) { return std::strchr("$`\"\\\n", c) != nullptr; }

// Each reader starts on the character that opens its piece and returns the
// index just past the piece.
std::size_t readSingleQuoted(const std::string& text, std::size_t at, std::string& word) {
  const std::size_t close = text.find('\'', at + 1);
  const std::size_t end = close == std::string::npos ? text.size() : close;
  word.append(text, at + 1, end - at - 1);
  return close == std::string::npos ? end : close + 1;
}

std::size_t readDoubleQuoted(const std::string& text, std::size_t at, std::string& word) {
  for (++at; at < text.size() && text[at] != '"'; ++at) {
    if (text[at] == '\\' && at + 1 < text.size() && quotableInDoubleQuotes(text[at + 1])) {
      ++at;
      if (text[at] == '\n') continue;  // a backslash and line feed join lines
    }
    word += text[at];
  }
  return at < text.size() ? at + 1 : at;
}

std::size_t readEscaped(const std::string& text, std::size_t at, std::string& word) {
  if (at + 1 == text.size()) {
    word += '\\';
    return at + 1;
  }
  word += text[at + 1];
  return at + 2;
}

}  // namespace

std::vector<std::string> splitWords(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  std::size_t at = 0;
  while (at < text.size()) {
    const char c = text[at];
    if (isBlank(c)) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
      ++at;
      continue;
    }
    if (c == '\\' && at + 1 < text.size() && text[at + 1] == '\n') {
      at += 2;  // a backslash and line feed join lines and make no word
      continue;
    }
    inWord = true;
    if (c == '\'') {
      at = readSingleQuoted(text, at, word);
    } else if (c == '"') {
      at = readDoubleQuoted(text, at, word);
    } else if (c == '\\') {
      at = readEscaped(text, at, word);
    } else {
      word += c;
      ++at;
    }
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

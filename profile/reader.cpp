#include "profile/reader.h"

#include <cwchar>

#include "platform/services.h"
#include "profile/profile.h"

namespace {

// Where the character reading of the original run-time signalled the end of
// the file, so a U+FFFF in the file has always ended the reading there.
constexpr wchar_t kEndOfText = 0xFFFF;

// Splits a character stream into lines; false when a line is too long.
class LineSplitter {
 public:
  explicit LineSplitter(std::vector<std::wstring>& lines) : lines_(lines) {}

  // Takes the next block; false once the text has ended (U+FFFF) or a line
  // grew too long.
  bool take(const wchar_t* text, std::size_t size) {
    for (const wchar_t* at = text; at != text + size; ++at) {
      if (*at == L'\n') {
        finishLine();
      } else if (*at == kEndOfText) {
        return false;
      } else if (++length_ == kMaxLineChars) {
        tooLong_ = true;
        return false;
      } else if (!cut_) {
        if (*at == L'\0') {
          cut_ = true;
        } else {
          line_ += *at;
        }
      }
    }
    return true;
  }

  // Ends the last line; false if a line was too long.
  bool finish() {
    if (tooLong_) return false;
    finishLine();
    return true;
  }

 private:
  void finishLine() {
    lines_.push_back(std::move(line_));
    line_.clear();
    length_ = 0;
    cut_ = false;
  }

  std::vector<std::wstring>& lines_;
  std::wstring line_;
  std::size_t length_ = 0;
  bool cut_ = false;
  bool tooLong_ = false;
};

void parseLine(Profile& profile, std::wstring& current, const std::wstring& line) {
  if (line.empty() || line.front() == L'#') return;
  if (line.front() == L'[' && line.back() == L']') {
    current.assign(line, 1, line.size() - 2);
    return;
  }
  const std::size_t equals = line.find(L'=');
  if (equals == std::wstring::npos) {
    profile.addEntry(current, line, line);
  } else {
    profile.addEntry(current, line.substr(0, equals), line.substr(equals + 1));
  }
}

}  // namespace

std::vector<std::wstring> loadLines(Profile& profile) {
  std::vector<std::wstring> lines;
  WideTextFile file(profile.path());
  if (!file.isOpen()) {
    profile.loadFailed_ = true;
    return lines;
  }
  LineSplitter splitter(lines);
  wchar_t block[4096];
  std::size_t got;
  while ((got = file.read(block, sizeof block / sizeof block[0])) > 0) {
    if (!splitter.take(block, got)) break;
  }
  if (!splitter.finish()) {
    profile.loadFailed_ = true;
    lines.clear();
  }
  return lines;
}

bool parseLines(Profile& profile) {
  profile.sections_.clear();
  const std::vector<std::wstring> lines = loadLines(profile);
  if (profile.loadFailed_) return true;
  std::wstring current;
  for (const std::wstring& line : lines) parseLine(profile, current, line);
  return false;
}

#include "profile/reader.h"

#include <cstdint>
#include <cwchar>
#include <string>
#include <string_view>

#include "platform/services.h"
#include "profile/profile.h"

namespace {

// Where the character reading of the original run-time signalled the end of
// the file, so a U+FFFF in the file has always ended the reading there.
constexpr wchar_t kEndOfText = 0xFFFF;

// Files each finished line into the profile by its kind.
class LineFiler {
 public:
  explicit LineFiler(Profile& profile) : profile_(profile) {}

  void file(const std::wstring& line) {
    if (line.empty() || line.front() == L'#') return;
    if (line.front() == L'[' && line.back() == L']') {
      current_.assign(line, 1, line.size() - 2);
      entries_ = nullptr;
      return;
    }
    // The section is looked up once, at its first entry: a header with no
    // entries after it makes no section.
    if (entries_ == nullptr) entries_ = &profile_.findSection(current_, true);
    const std::wstring_view text = line;
    const std::size_t equals = text.find(L'=');
    if (equals == std::wstring_view::npos) {
      profile_.addEntry(*entries_, text, text);
    } else {
      profile_.addEntry(*entries_, text.substr(0, equals), text.substr(equals + 1));
    }
  }

 private:
  Profile& profile_;
  std::wstring current_;                // the section that entries go to
  ProfileEntries* entries_ = nullptr;  // its entries, once it has any
};

// A line's length is counted in UTF-16 code units, as Windows counts it, so
// that a profile accepted on one system is accepted on the other: a code
// point beyond U+FFFF, which only a 32-bit wchar_t holds whole, counts two.
constexpr std::size_t unitsOf(wchar_t c) {
  return (static_cast<std::uint32_t>(c) >> 16) != 0 ? 2 : 1;
}

// Splits a character stream into lines and hands each on as it ends.
class LineSplitter {
 public:
  explicit LineSplitter(const LineSink& take) : take_(take) {}

  // Takes the next block; false once the text has ended (U+FFFF) or a line
  // grew too long. Works a run of ordinary characters at a time: a large
  // profile is millions of them.
  bool take(const wchar_t* text, std::size_t size) {
    const wchar_t* const end = text + size;
    while (text != end) {
      const wchar_t* stop = text;
      std::size_t units = 0;
      while (stop != end && *stop != L'\n' && *stop != kEndOfText) units += unitsOf(*stop++);
      if (!extend(text, stop, units)) return false;
      if (stop == end) break;
      if (*stop == kEndOfText) return false;
      finishLine();
      text = stop + 1;
    }
    return true;
  }

  // The number of the line in progress, counting from 1.
  std::size_t lineNumber() const { return finished_ + 1; }

  // Ends the last line; false if a line was too long.
  bool finish() {
    if (tooLong_) return false;
    finishLine();
    return true;
  }

 private:
  // Adds characters, `units` long, to the line in progress; the characters
  // after a NUL count towards its length but are not kept.
  bool extend(const wchar_t* from, const wchar_t* to, std::size_t units) {
    if (length_ + units > kMaxLineChars - 1) {
      tooLong_ = true;
      return false;
    }
    length_ += units;
    const auto count = static_cast<std::size_t>(to - from);
    if (!cut_ && count > 0) {
      const wchar_t* nul = std::wmemchr(from, L'\0', count);
      line_.append(from, nul != nullptr ? nul : to);
      cut_ = nul != nullptr;
    }
    return true;
  }

  void finishLine() {
    ++finished_;
    take_(line_);
    line_.clear();
    length_ = 0;
    cut_ = false;
  }

  const LineSink& take_;
  std::wstring line_;
  std::size_t length_ = 0;
  bool cut_ = false;
  bool tooLong_ = false;
  std::size_t finished_ = 0;
};

}  // namespace

void loadLines(Profile& profile, const LineSink& take) {
  WideTextFile file(profile.path());
  if (!file.isOpen()) {
    profile.loadFailed_ = true;
    profile.openError_ = file.error();
    return;
  }
  profile.encoding_ = file.encoding();
  LineSplitter splitter(take);
  // Small: the calls that file each line run below it on the stack, and a
  // deep block would put them on pages the run has not touched yet.
  wchar_t block[512];
  std::size_t got;
  while ((got = file.read(block, sizeof block / sizeof block[0])) > 0) {
    if (!splitter.take(block, got)) break;
  }
  if (!splitter.finish()) {
    profile.loadFailed_ = true;
    profile.refusedLine_ = splitter.lineNumber();
  }
}

bool parseLines(Profile& profile) {
  profile.clear();
  LineFiler filer(profile);
  loadLines(profile, [&filer](const std::wstring& line) { filer.file(line); });
  // Whatever was filed before an overlong line goes too: a profile that is
  // refused is refused whole.
  if (profile.loadFailed_) profile.clear();
  return profile.loadFailed_;
}

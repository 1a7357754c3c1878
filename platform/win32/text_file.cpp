// Profiles on Windows are read as the C run-time reads text: in the user's
// code page (the entry point selects the user's locale), so that a profile
// written in Notepad on a Japanese system reads as Japanese; CR LF as LF; a
// Ctrl-Z ends the text. A file that begins with a UTF-8 byte-order mark is
// read as UTF-8 instead, without the mark.
#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>

#include "platform/services.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using ScopedFile = std::unique_ptr<std::FILE, FileCloser>;

bool startsWithUtf8Mark(const std::wstring& path) {
  const ScopedFile file(_wfopen(path.c_str(), L"rb"));
  unsigned char start[3] = {};
  return file && std::fread(start, 1, sizeof start, file.get()) == sizeof start &&
         start[0] == 0xEF && start[1] == 0xBB && start[2] == 0xBF;
}

// The file, or null with the reason in `error`.
std::FILE* openText(const std::wstring& path, int& error) {
  // Paths go no further than the system's limit, and a NUL would silently
  // cut the path short: both are paths we cannot open as given.
  if (path.empty()) {
    error = ENOENT;
  } else if (path.size() >= MAX_PATH) {
    error = ENAMETOOLONG;
  } else if (path.find(L'\0') != std::wstring::npos) {
    error = EINVAL;
  }
  if (error != 0) return nullptr;
  // Opened for UTF-8, a file without the mark would be read as UTF-8 too, so
  // the mark is looked for first; any other file gets text mode under the
  // locale.
  std::FILE* file = _wfopen(path.c_str(), startsWithUtf8Mark(path) ? L"rt, ccs=UTF-8" : L"rt");
  if (file == nullptr) error = errno;
  return file;
}

}  // namespace

WideTextFile::WideTextFile(const std::wstring& path) { file_ = openText(path, error_); }

WideTextFile::~WideTextFile() {
  if (file_ != nullptr) std::fclose(file_);
}

bool WideTextFile::isOpen() const { return file_ != nullptr; }

std::size_t WideTextFile::read(wchar_t* out, std::size_t capacity) {
  std::size_t count = 0;
  if (file_ == nullptr) return count;
  // WEOF is U+FFFF here, so that character ends the reading as the end of
  // the file does, and so does a read error.
  for (std::wint_t c; count < capacity && (c = std::fgetwc(file_)) != WEOF;) {
    out[count++] = static_cast<wchar_t>(c);
  }
  return count;
}

// Windows gives large pages only to accounts with a privilege for them; the
// heap serves.
std::pmr::memory_resource* arenaBlocks() { return std::pmr::new_delete_resource(); }

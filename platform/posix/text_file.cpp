// Profiles are UTF-8 here whatever the locale says: a profile copied from
// another machine must read the same, and the locale machinery would cost
// start-up time on every key press that runs us.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>

#include "platform/services.h"
#include "platform/posix/utf8.h"

namespace {

constexpr wchar_t kByteOrderMark = 0xFEFF;

// Reads go through a buffer of at most this many bytes; a smaller file gets
// one of its own size, so a usual profile touches only a page or two of
// fresh memory, which on a key press costs more than the reading.
constexpr std::size_t kMostBufferBytes = 64 * 1024;
// Enough for any UTF-8 sequence cut by a read to be completed by the next.
constexpr std::size_t kLeastBufferBytes = 256;

// The file, or -1 with the reason in `error`; `bufferBytes` is what reading
// it needs.
int openRegularOrStream(const std::wstring& path, int& error, std::size_t& bufferBytes) {
  std::string bytes;
  if (!utf8::narrowLossless(path, bytes)) {
    error = EILSEQ;
  } else if (bytes.empty()) {
    error = ENOENT;
  } else if (bytes.size() >= PATH_MAX) {
    error = ENAMETOOLONG;
  }
  if (error != 0) return -1;
  const int fd = ::open(bytes.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return -1;
  }
  // A folder opens fine on POSIX systems but is no profile; refuse it as
  // Windows does.
  struct stat status {};
  if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
    error = EISDIR;
    ::close(fd);
    return -1;
  }
  bufferBytes = kMostBufferBytes;
  if (S_ISREG(status.st_mode)) {
    const off_t size = std::clamp<off_t>(status.st_size, kLeastBufferBytes, kMostBufferBytes);
    bufferBytes = static_cast<std::size_t>(size);
  }
  return fd;
}

// Most of a profile is ASCII, which needs no decoding: bytes below 0x80,
// other than a carriage return, are copied as they are, in one run.
std::size_t copyPlain(const unsigned char* from, std::size_t available, wchar_t* out,
                      std::size_t capacity) {
  const std::size_t limit = std::min(capacity, available);
  std::size_t count = 0;
  while (count < limit && from[count] < 0x80 && from[count] != '\r') {
    out[count] = static_cast<wchar_t>(from[count]);
    ++count;
  }
  return count;
}

}  // namespace

WideTextFile::WideTextFile(const std::wstring& path) {
  fd_ = openRegularOrStream(path, error_, capacity_);
  // Left as it comes: only what a read stores is ever looked at.
  if (fd_ >= 0) bytes_.reset(new unsigned char[capacity_]);
}

WideTextFile::~WideTextFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool WideTextFile::isOpen() const { return fd_ >= 0; }

bool WideTextFile::fill() {
  if (fd_ < 0) return false;
  std::memmove(bytes_.get(), bytes_.get() + begin_, end_ - begin_);
  end_ -= begin_;
  begin_ = 0;
  ssize_t got;
  do {
    got = ::read(fd_, bytes_.get() + end_, capacity_ - end_);
  } while (got < 0 && errno == EINTR);
  if (got <= 0) {
    // The end, or a read error, which counts as the end: stop asking, so a
    // terminal or a pipe is not read again after it said it was done.
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  end_ += static_cast<std::size_t>(got);
  return true;
}

std::size_t WideTextFile::read(wchar_t* out, std::size_t capacity) {
  std::size_t count = 0;
  while (count < capacity) {
    if (!atStart_ && !pendingCarriageReturn_) {
      const std::size_t copied =
          copyPlain(bytes_.get() + begin_, end_ - begin_, out + count, capacity - count);
      begin_ += copied;
      count += copied;
    }
    if (count == capacity) break;
    char32_t c;
    std::size_t used = utf8::decode(bytes_.get() + begin_, end_ - begin_, c);
    if (used == 0) {
      if (fill()) continue;
      if (begin_ == end_) break;
      c = utf8::kReplacement;  // a sequence cut short by the end of the file
      used = 1;
    }
    begin_ += used;
    const auto wide = static_cast<wchar_t>(c);
    if (atStart_) {
      atStart_ = false;
      if (wide == kByteOrderMark) continue;
    }
    if (pendingCarriageReturn_) {
      pendingCarriageReturn_ = false;
      if (wide != L'\n') out[count++] = L'\r';
      if (count == capacity) {
        // No room left for this character: keep it for the next call.
        begin_ -= used;
        break;
      }
    }
    if (wide == L'\r') {
      pendingCarriageReturn_ = true;
      continue;
    }
    out[count++] = wide;
  }
  if (pendingCarriageReturn_ && count < capacity && begin_ == end_ && fd_ < 0) {
    pendingCarriageReturn_ = false;
    out[count++] = L'\r';
  }
  return count;
}


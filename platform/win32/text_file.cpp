// Profiles on Windows are read as Notepad saves them. Since Windows 10 it
// saves UTF-8 without a byte-order mark; before that, and still when told
// "ANSI", it saves in the system's ANSI code page (GetACP, Japanese on a
// Japanese system; not the user's format setting, which is what the C
// run-time's locale follows). Text in an ANSI code page that has bytes
// outside ASCII is almost never valid UTF-8, so the first block tells them
// apart. Whatever decodes the bytes, the text rules are those of the C
// run-time's text mode: CR LF reads as LF, a lone CR stays, Ctrl-Z ends the
// text.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/services.h"

namespace {

constexpr unsigned char kCtrlZ = 0x1A;

// As on POSIX systems: a buffer of the file's size, at most this many bytes,
// so a usual profile touches little fresh memory. The first block read,
// which decides the encoding, is at most this long too.
constexpr std::size_t kMostBufferBytes = 64 * 1024;
// Enough for a character or CR cut by one read to be completed by the next.
constexpr std::size_t kLeastBufferBytes = 256;

// The file, or null with the reason in `error`; `size` is its length, or -1
// when it has none.
std::FILE* openBytes(const std::wstring& path, int& error, long& size) {
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
  // A folder fails to open here, as a profile should.
  std::FILE* file = _wfopen(path.c_str(), L"rb");
  if (file == nullptr) {
    error = errno;
    return nullptr;
  }
  // Reads go straight into our own buffer, never through the run-time's.
  std::setvbuf(file, nullptr, _IONBF, 0);
  size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
  std::rewind(file);
  return file;
}

// How many bytes the UTF-8 sequence that `lead` begins takes; 1 for a byte
// that begins none.
std::size_t utf8Length(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 1;
}

// The length of the start of `bytes` that ends with a whole character: a
// character cut short at the end is left for the bytes that complete it.
std::size_t wholeUtf8(const unsigned char* bytes, std::size_t size) {
  for (std::size_t back = 1; back <= std::min<std::size_t>(size, 3); ++back) {
    const unsigned char byte = bytes[size - back];
    if ((byte & 0xC0) != 0x80) return utf8Length(byte) > back ? size - back : size;
  }
  return size;
}

// The same in a code page whose characters take one or two bytes: only a
// walk from a character's start tells a lead byte from a trailing one.
std::size_t wholeDoubleByte(UINT codePage, const unsigned char* bytes, std::size_t size) {
  std::size_t whole = 0;
  while (whole < size) {
    const unsigned char byte = bytes[whole];
    const std::size_t length = byte >= 0x80 && IsDBCSLeadByteEx(codePage, byte) ? 2 : 1;
    if (whole + length > size) break;
    whole += length;
  }
  return whole;
}

// Whether the first block is UTF-8 as Notepad saves it without a mark: it
// holds bytes outside ASCII and none that cannot be UTF-8. A sequence cut by
// the end of a block that the file goes on after is no fault. Only the text
// counts, which a Ctrl-Z ends.
bool looksLikeUtf8(const unsigned char* bytes, std::size_t size, bool goesOn) {
  if (const void* stop = std::memchr(bytes, kCtrlZ, size)) {
    size = static_cast<std::size_t>(static_cast<const unsigned char*>(stop) - bytes);
    goesOn = false;
  }
  if (std::all_of(bytes, bytes + size, [](unsigned char byte) { return byte < 0x80; })) {
    return false;
  }
  if (goesOn) size = wholeUtf8(bytes, size);
  return size == 0 ||
         MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes),
                             static_cast<int>(size), nullptr, 0) > 0;
}

// The length of the start of `bytes` that ends with a whole character, in
// that code page.
std::size_t wholeCharacters(UINT codePage, bool doubleByte, const unsigned char* bytes,
                            std::size_t size) {
  if (codePage == CP_UTF8) return wholeUtf8(bytes, size);
  return doubleByte ? wholeDoubleByte(codePage, bytes, size) : size;
}

bool isDoubleByte(UINT codePage) {
  CPINFO info;
  return GetCPInfo(codePage, &info) && info.MaxCharSize == 2;
}

// The bytes before the next one the text rules act on (LF, CR, Ctrl-Z). No
// such byte is ever part of a character, in UTF-8 or an ANSI code page (a
// trailing byte is 0x40 or above), so decoding each run on its own keeps a
// line break out of every character, whatever bytes stand before it.
std::size_t plainRun(const unsigned char* bytes, std::size_t size) {
  const unsigned char* stop = std::find_if(bytes, bytes + size, [](unsigned char byte) {
    return byte == '\n' || byte == '\r' || byte == kCtrlZ;
  });
  return static_cast<std::size_t>(stop - bytes);
}

// Never more wchar_t than bytes, in any of these encodings: room for `size`
// is room enough.
std::size_t decode(UINT codePage, const unsigned char* bytes, std::size_t size, wchar_t* out,
                   std::size_t room) {
  const int stored = MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(bytes),
                                         static_cast<int>(size), out, static_cast<int>(room));
  return static_cast<std::size_t>(stored);
}

}  // namespace

WideTextFile::WideTextFile(const std::wstring& path) {
  long size = -1;
  file_ = openBytes(path, error_, size);
  if (file_ == nullptr) return;
  capacity_ = kMostBufferBytes;
  if (size >= 0) {
    capacity_ = std::clamp(static_cast<std::size_t>(size), kLeastBufferBytes, kMostBufferBytes);
  }
  // Left as it comes: only what a read stores is ever looked at.
  bytes_.reset(new unsigned char[capacity_]);
  fill();
  const unsigned char* first = bytes_.get();
  if (end_ >= 3 && std::memcmp(first, "\xEF\xBB\xBF", 3) == 0) {
    encoding_.byteOrderMark = true;
    begin_ = 3;
  } else if (!looksLikeUtf8(first, end_, end_ == capacity_ && size != static_cast<long>(end_))) {
    encoding_.codePage = GetACP();
    doubleByte_ = isDoubleByte(encoding_.codePage);
  }
}

WideTextFile::~WideTextFile() {
  if (file_ != nullptr) std::fclose(file_);
}

bool WideTextFile::isOpen() const { return file_ != nullptr; }

bool WideTextFile::fill() {
  if (atEnd_) return false;
  std::memmove(bytes_.get(), bytes_.get() + begin_, end_ - begin_);
  end_ -= begin_;
  begin_ = 0;
  const std::size_t got = std::fread(bytes_.get() + end_, 1, capacity_ - end_, file_);
  end_ += got;
  // The end, or a read error, which counts as the end: stop asking.
  atEnd_ = got == 0;
  return got > 0;
}

std::size_t WideTextFile::read(wchar_t* out, std::size_t capacity) {
  std::size_t count = 0;
  if (file_ == nullptr) return count;
  while (count < capacity && (begin_ < end_ || fill())) {
    const unsigned char* at = bytes_.get() + begin_;
    const std::size_t available = end_ - begin_;
    if (*at == kCtrlZ) {
      atEnd_ = true;
      begin_ = end_;
    } else if (*at == '\r') {
      // Whether an LF follows a CR cut off by the block's end, the next
      // block tells.
      if (available == 1 && fill()) continue;
      ++begin_;
      if (available == 1 || at[1] != '\n') out[count++] = L'\r';
    } else if (*at == '\n') {
      ++begin_;
      out[count++] = L'\n';
    } else {
      const std::size_t room = capacity - count;
      const std::size_t run = plainRun(at, available);
      // A run that a line break or the end of the file closes is decoded
      // whole, a character cut short in it included (as a malformed one).
      const bool closed = run < available || atEnd_;
      const std::size_t take =
          closed && run <= room
              ? run
              : wholeCharacters(encoding_.codePage, doubleByte_, at, std::min(run, room));
      if (take == 0) {
        if (room < run) break;  // the next call has room for the character
        fill();                 // the character's last bytes are still to be read
        continue;
      }
      count += decode(encoding_.codePage, at, take, out + count, room);
      begin_ += take;
    }
  }
  return count;
}

// Windows gives large pages only to accounts with a privilege for them; the
// heap serves.
std::pmr::memory_resource* arenaBlocks() { return std::pmr::new_delete_resource(); }

// Arbitrary bytes as a profile: read them, run the chosen section against a
// scripted desktop whose windows come from the bytes themselves, and check
// what must hold whatever the file says. The sanitizers catch the rest.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "launcher/launcher.h"
#include "platform/posix/utf8.h"
#include "profile/profile.h"
#include "profile/reader.h"
#include "tests/scripted_platform.h"

namespace {

// The bytes live in a memory file that the reader opens by path, exactly as
// it opens a profile on disk, without touching the disk on every run.
class MemoryFile {
 public:
  MemoryFile() : fd_(::memfd_create("profile", MFD_CLOEXEC)) {
    if (fd_ < 0) std::abort();
    path_ = utf8::widenLossless("/proc/self/fd/" + std::to_string(fd_));
  }
  ~MemoryFile() { ::close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  const std::wstring& hold(const std::uint8_t* data, std::size_t size) {
    if (::ftruncate(fd_, 0) != 0) std::abort();
    std::size_t written = 0;
    while (written < size) {
      const ssize_t got = ::pwrite(fd_, data + written, size - written, written);
      if (got <= 0) std::abort();
      written += static_cast<std::size_t>(got);
    }
    return path_;
  }

 private:
  int fd_;
  std::wstring path_;
};

void require(bool condition) {
  if (!condition) std::abort();
}

std::uint64_t hashOf(const std::uint8_t* data, std::size_t size) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 0x100000001b3u;
  return hash;
}

const ProfileString* firstValue(const ProfileEntries& entries, const wchar_t* key) {
  for (const ProfileEntry& entry : entries) {
    if (entry.key == key) return &entry.value;
  }
  return nullptr;
}

// Windows that the profile's own rules name, some exact, some matching the
// class alone, chosen by the bits of `choice`, and one of them in front; so
// that rules fire, fail and fall through as the bytes decide.
void scriptWindows(const Profile& profile, std::uint64_t choice) {
  resetScripted();
  for (const ProfileSection& section : profile.sections()) {
    if (scripted().windows.size() == 16) break;
    const ProfileString* className = firstValue(section.entries, L"class");
    const ProfileString* title = firstValue(section.entries, L"title");
    if (className == nullptr && title == nullptr) continue;
    const unsigned pick = choice & 3;
    choice = (choice >> 2) | (choice << 62);
    if (pick == 0) continue;
    scripted().addWindow(className ? std::wstring(*className) : std::wstring(),
                         pick == 2 || title == nullptr ? L"other" : std::wstring(*title));
  }
  const std::size_t front = choice % (scripted().windows.size() + 1);
  scripted().foreground = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(front));
}

// What loading promises: one section per name, and none without an entry.
void checkStore(const Profile& profile) {
  std::set<std::wstring> names;
  for (const ProfileSection& section : profile.sections()) {
    require(names.insert(std::wstring(section.name)).second);
    require(!section.entries.empty());
  }
}

// What running promises: nothing waits for ever but a started process, and
// an empty file is never handed to the shell.
void checkRun(std::size_t commands) {
  require(scripted().requests.size() <= commands);
  for (const RecordedRequest& request : scripted().requests) {
    require(request.file.has_value() && !request.file->empty());
  }
  for (const std::wstring& call : scripted().calls) {
    require(call != L"Sleep(4294967295)");
  }
}

// For plain ASCII without carriage returns, characters are bytes, so the
// one rule that refuses a whole file can be checked from the input alone:
// it is refused exactly when a line is longer than kMaxLineChars - 1.
void checkLineLimit(const std::uint8_t* data, std::size_t size, const Profile& profile) {
  std::size_t line = 0;
  std::size_t longest = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] >= 0x80 || data[i] == '\r') return;
    line = data[i] == '\n' ? 0 : line + 1;
    if (line > longest) longest = line;
  }
  require(profile.loadFailed() == (longest > kMaxLineChars - 1));
}

std::size_t commandCount(const Profile& profile) {
  std::size_t count = 0;
  for (const ProfileSection& section : profile.sections()) {
    for (const ProfileEntry& entry : section.entries) {
      count += entry.key == L"exec" || entry.key == L"execSync";
    }
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file;
  Profile profile(file.hold(data, size));
  checkStore(profile);
  checkLineLimit(data, size, profile);
  if (profile.loadFailed()) {
    require(profile.sections().empty());
    return 0;
  }
  scriptWindows(profile, hashOf(data, size));
  const std::size_t commands = commandCount(profile);
  try {
    selectAndRun(profile);
  } catch (const ProfileLookupError& error) {
    // Only a missing "default" raises, and it does so before anything starts.
    require(!error.message().empty() && error.message().size() < kMessageChars);
    require(scripted().requests.empty());
  }
  checkRun(commands);
  return 0;
}

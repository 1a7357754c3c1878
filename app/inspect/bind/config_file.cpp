#include "app/inspect/bind/config_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <system_error>

#include "platform/posix/utf8.h"

namespace {

constexpr mode_t kNewFileMode = 0644;
constexpr mode_t kNewFolderMode = 0755;

std::string bytesOf(const std::wstring& path) {
  std::string bytes;
  utf8::narrowLossless(path, bytes);
  return bytes;
}

std::wstring problem(const std::wstring& what, const std::wstring& path, int error) {
  const std::string text = std::generic_category().message(error);
  return L"cannot " + what + L" " + forPeople(path) + L" (" + utf8::widenLossless(text) + L")";
}

// A file descriptor that closes itself.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now, to see whether the last of the writing failed.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

bool makeFolders(const std::string& folder) {
  if (folder.empty() || ::mkdir(folder.c_str(), kNewFolderMode) == 0 || errno == EEXIST) {
    return true;
  }
  if (errno != ENOENT) return false;
  const std::size_t slash = folder.rfind('/');
  if (slash == std::string::npos || slash == 0) return false;
  return makeFolders(folder.substr(0, slash)) &&
         (::mkdir(folder.c_str(), kNewFolderMode) == 0 || errno == EEXIST);
}

// Writes `bytes` to a new file `path` (failing if it is there), with `mode`.
bool writeNew(const std::string& path, const std::string& bytes, mode_t mode) {
  Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
  if (file.get() < 0) return false;
  if (writeAll(file.get(), bytes) && ::fsync(file.get()) == 0 && file.close()) return true;
  const int error = errno;
  ::unlink(path.c_str());
  errno = error;
  return false;
}

const char* environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value == '/' ? value : nullptr;
}

}  // namespace

std::optional<std::wstring> readConfig(const std::wstring& path, std::wstring& why,
                                       bool* missing) {
  if (missing != nullptr) *missing = false;
  Descriptor file(::open(bytesOf(path).c_str(), O_RDONLY | O_CLOEXEC));
  std::string bytes;
  char block[8192];
  ssize_t got = file.get() < 0 ? -1 : 0;
  while (file.get() >= 0 && (got = ::read(file.get(), block, sizeof block)) != 0) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    bytes.append(block, static_cast<std::size_t>(got));
  }
  if (got < 0) {
    if (missing != nullptr) *missing = errno == ENOENT;
    why = problem(L"read", path, errno);
    return std::nullopt;
  }
  return utf8::widenLossless(bytes);
}

bool configExists(const std::wstring& path) {
  struct stat status {};
  return ::stat(bytesOf(path).c_str(), &status) == 0;
}

bool writeConfig(const std::wstring& path, const std::wstring& text, std::wstring& why) {
  std::string bytes;
  // A configuration kept elsewhere and linked to (a folder of dotfiles)
  // is written where it is, and stays linked.
  const std::string target = bytesOf(resolvedPath(path));
  if (!utf8::narrowLossless(text, bytes)) {
    why = L"cannot write " + forPeople(path) + L": the text has a character UTF-8 cannot hold";
    return false;
  }
  struct stat status {};
  const mode_t mode = ::stat(target.c_str(), &status) == 0 ? status.st_mode & 07777 : kNewFileMode;
  const std::string fresh = target + ".tarvexel-new";
  ::unlink(fresh.c_str());
  if (!makeFolders(bytesOf(folderOf(path))) || !writeNew(fresh, bytes, mode) ||
      ::rename(fresh.c_str(), target.c_str()) != 0) {
    why = problem(L"write", path, errno);
    ::unlink(fresh.c_str());
    return false;
  }
  return true;
}

bool keepBackup(const std::wstring& path, std::wstring& why) {
  if (configExists(path + L".tarvexel-backup")) return true;
  bool missing = false;
  const std::optional<std::wstring> text = readConfig(path, why, &missing);
  return text ? keepAsBackup(path, *text, why) : missing;
}

bool keepAsBackup(const std::wstring& path, const std::wstring& text, std::wstring& why) {
  const std::wstring backup = path + L".tarvexel-backup";
  if (configExists(backup)) return true;
  if (makeFolders(bytesOf(folderOf(path))) && writeNew(bytesOf(backup), bytesOf(text), kNewFileMode)) {
    return true;
  }
  why = problem(L"keep a copy of it in", backup, errno);
  return false;
}

bool removeConfig(const std::wstring& path, std::wstring& why) {
  if (::unlink(bytesOf(path).c_str()) == 0 || errno == ENOENT) return true;
  why = problem(L"remove", path, errno);
  return false;
}

std::wstring resolvedPath(const std::wstring& path) {
  const std::unique_ptr<char, decltype(&std::free)> real(::realpath(bytesOf(path).c_str(), nullptr),
                                                         &std::free);
  return real ? utf8::widenLossless(real.get()) : path;
}

std::wstring homeFolder() {
  const char* value = environment("HOME");
  return value != nullptr ? utf8::widenLossless(value) : std::wstring();
}

std::wstring configHome() {
  if (const char* value = environment("XDG_CONFIG_HOME")) return utf8::widenLossless(value);
  return homeFolder() + L"/.config";
}

std::vector<std::wstring> systemConfigFolders() {
  const char* value = std::getenv("XDG_CONFIG_DIRS");
  const std::wstring list = utf8::widenLossless(value != nullptr && *value ? value : "/etc/xdg");
  std::vector<std::wstring> folders;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(L':', start), list.size());
    if (end > start && list[start] == L'/') folders.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return folders;
}

std::wstring folderOf(const std::wstring& path) {
  const std::size_t slash = path.rfind(L'/');
  if (slash == std::wstring::npos) return L".";
  return slash == 0 ? L"/" : path.substr(0, slash);
}

std::wstring pathFrom(const std::wstring& folder, const std::wstring& path) {
  if (!path.empty() && path[0] == L'/') return path;
  return folder + (folder.empty() || folder.back() == L'/' ? L"" : L"/") + path;
}

std::wstring forPeople(const std::wstring& path) {
  const std::wstring mine = homeFolder();
  if (mine.empty() || path.compare(0, mine.size(), mine) != 0) return path;
  if (path.size() > mine.size() && path[mine.size()] != L'/') return path;
  return L"~" + path.substr(mine.size());
}

#include "tests/e2e/sandbox.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/child_process.h"

namespace fs = std::filesystem;

namespace {

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> split(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::size_t begin = 0;
  while (true) {
    const std::size_t end = line.find(separator, begin);
    fields.push_back(line.substr(begin, end - begin));
    if (end == std::string::npos) return fields;
    begin = end + 1;
  }
}

Record parse(const std::string& line) {
  const std::vector<std::string> fields = split(line, '\x1f');
  Record record;
  record.event = fields.at(0);
  record.name = fields.at(1);
  record.milliseconds = std::stoll(fields.at(2));
  if (record.event == "start") {
    record.sessionLeader = fields.at(3) == "1";
    record.blockedSignals = fields.at(4);
    record.ignoredSignals = fields.at(5);
    record.arguments.assign(fields.begin() + 6, fields.end());
  }
  return record;
}

}  // namespace

long long monotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

Sandbox::Sandbox() {
  std::string pattern = (fs::temp_directory_path() / "tarvexel-e2e-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  folder_ = pattern;
  fs::create_directory(folder_ + "/bin");
  for (const char* name : {"a", "b", "c", "xdg-open"}) {
    fs::create_symlink(RECORDER_PATH, folder_ + "/bin/" + name);
  }
}

Sandbox::~Sandbox() {
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

std::string Sandbox::write(const std::string& name, const std::string& bytes) const {
  const std::string path = folder_ + "/" + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

void Sandbox::removeFromPath(const std::string& name) const { fs::remove(folder_ + "/bin/" + name); }

namespace {

// A pipe for the launcher's standard error that nobody reads: its reading
// end closed (broken), or kept open with no room left (full).
class ErrorPipe {
 public:
  explicit ErrorPipe(ErrorStream kind) {
    if (kind != ErrorStream::kBrokenPipe && kind != ErrorStream::kFullPipe) return;
    if (::pipe(ends_) != 0) throw std::runtime_error("pipe failed");
    if (kind == ErrorStream::kBrokenPipe) {
      closeEnd(0);
      return;
    }
    const int flags = ::fcntl(ends_[1], F_GETFL);
    ::fcntl(ends_[1], F_SETFL, flags | O_NONBLOCK);
    const std::string block(4096, 'x');
    while (::write(ends_[1], block.data(), block.size()) > 0) {
    }
    ::fcntl(ends_[1], F_SETFL, flags);
  }
  ~ErrorPipe() {
    closeEnd(0);
    closeEnd(1);
  }
  ErrorPipe(const ErrorPipe&) = delete;
  ErrorPipe& operator=(const ErrorPipe&) = delete;

  int writingEnd() const { return ends_[1]; }

 private:
  void closeEnd(int end) {
    if (ends_[end] >= 0) ::close(ends_[end]);
    ends_[end] = -1;
  }

  int ends_[2] = {-1, -1};
};

int errorStreamFor(ErrorStream kind, const ErrorPipe& pipe) {
  switch (kind) {
    case ErrorStream::kFile: return ChildProcess::kErrorToOutput;
    case ErrorStream::kClosed: return ChildProcess::kErrorClosed;
    default: return pipe.writingEnd();
  }
}

}  // namespace

RunResult Sandbox::run(const std::vector<std::string>& arguments, Start start) const {
  const std::string errorPath = folder_ + "/stderr.txt";
  std::vector<std::string> argv = {TARVEXEL_PATH};
  if (start.carelessParent) argv.insert(argv.begin(), CARELESS_PARENT_PATH);
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  const ErrorPipe pipe(start.error);
  RunResult result;
  result.startMilliseconds = monotonicMilliseconds();
  ChildProcess child(argv,
                     {"PATH=" + folder_ + "/bin", "RECORDER_LOG=" + folder_ + "/log.txt"},
                     folder_, errorPath, errorStreamFor(start.error, pipe));
  child.waitFor(60);
  result.endMilliseconds = monotonicMilliseconds();
  result.status = child.exitStatus();
  result.standardError = readAll(errorPath);
  return result;
}

RunResult Sandbox::runProfile(const std::string& profile, Start start) const {
  return run({write("profile.ini", profile)}, start);
}

std::vector<Record> Sandbox::records() const {
  std::vector<Record> records;
  std::istringstream lines(readAll(folder_ + "/log.txt"));
  for (std::string line; std::getline(lines, line);) records.push_back(parse(line));
  return records;
}

std::vector<Record> Sandbox::waitForRecords(std::size_t count, int seconds) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  std::vector<Record> found = records();
  while (found.size() < count && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    found = records();
  }
  return found;
}

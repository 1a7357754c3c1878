#include "platform/posix/open_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/posix/utf8.h"
#include "platform/posix/words.h"
#include "platform/services.h"

namespace posix {
namespace {

bool isExecutableFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

bool exists(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0;
}

std::string searchPath() {
  if (const char* path = std::getenv("PATH")) return path;
  std::string fallback(::confstr(_CS_PATH, nullptr, 0), '\0');
  ::confstr(_CS_PATH, fallback.data(), fallback.size());
  fallback.pop_back();
  return fallback;
}

// The first executable of this name on PATH, or empty. An empty PATH
// element means the current folder, as for the shell.
std::string findOnPath(const std::string& name) {
  const std::string path = searchPath();
  std::size_t begin = 0;
  while (true) {
    const std::size_t end = path.find(':', begin);
    const std::string folder = path.substr(begin, end == std::string::npos ? end : end - begin);
    const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
    if (isExecutableFile(candidate)) return candidate;
    if (end == std::string::npos) return {};
    begin = end + 1;
  }
}

// scheme ":" something, the scheme being a letter and then letters, digits,
// "+", "-" or ".".
bool looksLikeUrl(const std::string& text) {
  const auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  if (text.empty() || !isAlpha(text[0])) return false;
  std::size_t at = 1;
  while (at < text.size() &&
         (isAlpha(text[at]) || isDigit(text[at]) || text[at] == '+' || text[at] == '-' ||
          text[at] == '.')) {
    ++at;
  }
  return at + 1 < text.size() && text[at] == ':';
}

OpenCommand nothing(std::string reason) {
  return {OpenCommand::Kind::none, {}, std::move(reason)};
}

}  // namespace

OpenCommand openCommand(const std::string& file, const std::string& parameters) {
  const bool isPath = file.find('/') != std::string::npos;
  const std::string program = isPath ? (isExecutableFile(file) ? file : "") : findOnPath(file);
  if (!program.empty()) {
    std::vector<std::string> command = splitWords(parameters);
    command.insert(command.begin(), file);
    command.insert(command.begin(), program);  // the path to run, then argv
    return {OpenCommand::Kind::program, std::move(command), {}};
  }
  if (!exists(file) && !looksLikeUrl(file)) {
    return nothing(isPath ? "no such file, and no URL"
                          : "no program of that name on PATH, no such file, and no URL");
  }
  const std::string opener = findOnPath("xdg-open");
  if (opener.empty()) return nothing("xdg-open, which would open it, is not on PATH");
  return {OpenCommand::Kind::opener, {opener, "xdg-open", file}, {}};
}

}  // namespace posix

namespace {

std::vector<std::wstring> widened(const std::vector<std::string>& words) {
  std::vector<std::wstring> result;
  for (const std::string& word : words) result.push_back(utf8::widenLossless(word));
  return result;
}

}  // namespace

OpenPlan PlanOpen(const std::wstring& file, const std::wstring& parameters) {
  OpenPlan plan;
  std::string narrowFile;
  std::string narrowParameters;
  if (!utf8::narrowLossless(file, narrowFile) ||
      !utf8::narrowLossless(parameters, narrowParameters)) {
    plan.reason = L"the value holds a character that no file name or argument can hold";
    return plan;
  }
  const posix::OpenCommand command = posix::openCommand(narrowFile, narrowParameters);
  if (command.kind == posix::OpenCommand::Kind::none) {
    plan.reason = utf8::widenLossless(command.reason);
    return plan;
  }
  plan.outcome = command.kind == posix::OpenCommand::Kind::program
                     ? OpenPlan::Outcome::startsProgram
                     : OpenPlan::Outcome::handsToOpener;
  plan.program = utf8::widenLossless(command.command[0]);
  plan.arguments = widened({command.command.begin() + 1, command.command.end()});
  return plan;
}

#include "platform/wayland/sway_reply.h"

namespace wayland {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";
// What ends a number or a literal.
constexpr std::string_view kEnds = ",}] \t\r\n";

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  void skipBlanks() {
    while (at_ < text_.size() && kBlanks.find(text_[at_]) != kBlanks.npos) ++at_;
  }

  // Steps over blanks, then over `c` if it comes next.
  bool take(char c) {
    skipBlanks();
    if (at_ == text_.size() || text_[at_] != c) return false;
    ++at_;
    return true;
  }

  // A string, its escapes left in.
  std::optional<std::string_view> string() {
    if (!take('"')) return std::nullopt;
    const std::size_t begin = at_;
    for (; at_ < text_.size(); ++at_) {
      if (text_[at_] == '\\') {
        ++at_;
      } else if (text_[at_] == '"') {
        return text_.substr(begin, at_++ - begin);
      }
    }
    return std::nullopt;
  }

  // A literal such as true, whole.
  bool word(std::string_view literal) {
    skipBlanks();
    if (text_.substr(at_, literal.size()) != literal) return false;
    const std::size_t after = at_ + literal.size();
    if (after < text_.size() && kEnds.find(text_[after]) == kEnds.npos) return false;
    at_ = after;
    return true;
  }

  // Any value: nested arrays and objects are counted, not recursed into.
  bool skipValue() {
    skipBlanks();
    if (at_ == text_.size()) return false;
    if (text_[at_] == '"') return string().has_value();
    if (text_[at_] != '{' && text_[at_] != '[') return skipScalar();
    std::size_t depth = 0;
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '"') {
        if (!string()) return false;
        continue;
      }
      ++at_;
      if (c == '{' || c == '[') ++depth;
      if ((c == '}' || c == ']') && --depth == 0) return true;
    }
    return false;
  }

 private:
  bool skipScalar() {
    const std::size_t begin = at_;
    while (at_ < text_.size() && kEnds.find(text_[at_]) == kEnds.npos) ++at_;
    return at_ > begin;
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

struct Workspace {
  std::optional<std::string_view> name;
  bool focused = false;
};

// One object's members, up to its closing brace; false when it is not one.
bool readWorkspace(Scanner& scanner, Workspace& workspace) {
  if (!scanner.take('{')) return false;
  if (scanner.take('}')) return true;
  do {
    const std::optional<std::string_view> key = scanner.string();
    if (!key || !scanner.take(':')) return false;
    if (*key == "name") {
      workspace.name = scanner.string();
      if (!workspace.name) return false;
    } else if (*key == "focused" && scanner.word("true")) {
      workspace.focused = true;
    } else if (!scanner.skipValue()) {
      return false;
    }
  } while (scanner.take(','));
  return scanner.take('}');
}

}  // namespace

std::optional<std::string> focusedWorkspaceIn(std::string_view reply) {
  Scanner scanner(reply);
  if (!scanner.take('[') || scanner.take(']')) return std::nullopt;
  do {
    Workspace workspace;
    if (!readWorkspace(scanner, workspace)) return std::nullopt;
    if (workspace.focused && workspace.name) return std::string(*workspace.name);
  } while (scanner.take(','));
  return std::nullopt;
}

}  // namespace wayland

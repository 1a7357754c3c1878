// sway: a key is bound at once through sway's own swaymsg, and for good in
// a file of Tarvexel's own beside the user's configuration, which that
// configuration includes (one line, added once). The user's configuration
// and what it includes are the store: read for keys already taken and for
// Tarvexel's bindings, also those the user has moved or edited by hand.
#include <wordexp.h>

#include <cctype>
#include <map>
#include <set>

#include "app/inspect/bind/config_file.h"
#include "app/inspect/bind/config_keys.h"
#include "app/inspect/bind/desktops.h"
#include "app/inspect/bind/program_output.h"
#include "app/inspect/bind/sway_config.h"
#include "platform/posix/utf8.h"

namespace {

constexpr wchar_t kDesktop[] = L"sway";
constexpr wchar_t kOwnName[] = L"tarvexel";
constexpr wchar_t kOwnHeading[] =
    L"# Keys bound by tarvexel-inspect bind; tarvexel-inspect unbind takes them out again.\n";
// Includes of includes are followed this deep, as far as any real
// configuration goes.
constexpr int kDeepestInclude = 8;

struct SwayFile {
  std::wstring path;
  std::vector<std::wstring> lines;
  SwayConfig config;
};

// What sway reads and where Tarvexel writes.
struct SwaySetup {
  std::wstring userConfig;  // the user's own, which may not be there yet
  bool userHasOne = false;
  std::wstring ownFile;          // Tarvexel's, beside it
  std::vector<SwayFile> files;   // the configuration sway reads, then what it includes
  std::wstring why;              // set when that cannot be read
};

// A binding found, and the file it is in.
struct Found {
  const SwayFile* file;
  const SwayBinding* binding;
};

// A path as the words of wordexp: every character but the plainest escaped.
std::string escapedForWordexp(const std::wstring& path) {
  std::string bytes;
  utf8::narrowLossless(path, bytes);
  std::string escaped;
  for (const char c : bytes) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '/' && c != '.' && c != '_' &&
        c != '-') {
      escaped += '\\';
    }
    escaped += c;
  }
  return escaped;
}

// The files an include names, as sway finds them: through wordexp (but
// never running a command), a relative path from the including file's folder.
std::vector<std::wstring> includedFiles(const std::wstring& pattern, const std::wstring& folder) {
  std::string words;
  utf8::narrowLossless(pattern, words);
  if (!pattern.empty() && pattern[0] != L'/' && pattern[0] != L'~' && pattern[0] != L'$') {
    words = escapedForWordexp(folder) + "/" + words;
  }
  std::vector<std::wstring> files;
  wordexp_t expansion{};
  if (::wordexp(words.c_str(), &expansion, WRDE_NOCMD) != 0) return files;
  for (std::size_t i = 0; i < expansion.we_wordc; ++i) {
    files.push_back(pathFrom(folder, utf8::widenLossless(expansion.we_wordv[i])));
  }
  ::wordfree(&expansion);
  return files;
}

void readFile(const std::wstring& path, int depth, SwayVariables& variables,
              std::set<std::wstring>& seen, SwaySetup& setup) {
  if (depth > kDeepestInclude || !seen.insert(resolvedPath(path)).second) return;
  std::wstring why;
  const std::optional<std::wstring> text = readConfig(path, why);
  if (!text) {
    if (depth == 0) setup.why = why;
    return;
  }
  SwayFile file{path, splitLines(*text), {}};
  file.config = readSwayConfig(file.lines, variables);
  const std::vector<SwayInclude> includes = file.config.includes;
  setup.files.push_back(std::move(file));
  for (const SwayInclude& include : includes) {
    for (const std::wstring& included : includedFiles(include.pattern, folderOf(path))) {
      readFile(included, depth + 1, variables, seen, setup);
    }
  }
}

SwaySetup readSetup() {
  SwaySetup setup;
  const std::wstring home = homeFolder();
  const std::wstring user[] = {home + L"/.sway/config", configHome() + L"/sway/config",
                               home + L"/.i3/config", configHome() + L"/i3/config"};
  setup.userConfig = user[1];
  for (const std::wstring& path : user) {
    if (!configExists(path)) continue;
    setup.userConfig = path;
    setup.userHasOne = true;
    break;
  }
  setup.ownFile = folderOf(setup.userConfig) + L"/" + kOwnName;
  std::wstring read = setup.userConfig;
  for (const wchar_t* system : {L"/etc/sway/config", L"/etc/i3/config"}) {
    if (setup.userHasOne || !configExists(system)) continue;
    read = system;
    break;
  }
  SwayVariables variables;
  std::set<std::wstring> seen;
  if (setup.userHasOne || read != setup.userConfig) readFile(read, 0, variables, seen, setup);
  return setup;
}

std::vector<Found> bindingsOf(const SwaySetup& setup, const KeyChord& keys) {
  std::vector<Found> found;
  for (const SwayFile& file : setup.files) {
    for (const SwayBinding& binding : file.config.bindings) {
      if (binding.keys && *binding.keys == keys) found.push_back({&file, &binding});
    }
  }
  return found;
}

bool isOurs(const SwayBinding& binding) {
  return profileOf(execCommand(binding.command)).has_value();
}

std::wstring placeOf(const Found& found) {
  return forPeople(found.file->path) + L", line " +
         std::to_wstring(found.binding->lines.first + 1);
}

ProgramOutput swaymsg(const std::wstring& command) {
  return runProgram(std::vector<std::wstring>{L"swaymsg", L"--", command});
}

bool swayTook(const ProgramOutput& run, std::wstring& why) {
  if (run.succeeded) return true;
  const std::wstring said = saidBy(run);
  why = L"sway did not take it" +
        (said.empty() ? std::wstring(L" (is swaymsg installed?)") : L": " + said);
  while (!why.empty() && why.back() == L'\n') why.pop_back();
  return false;
}

// sway hands a command to sh, but reads it first: variables, escapes and
// both kinds of quotes are its own, so a path with any of them is refused
// rather than bound to something else.
bool swayCanHold(const std::wstring& path, std::wstring& why) {
  if (path.find_first_of(L"'\"\\$\n") == std::wstring::npos) return true;
  why = L"sway's configuration cannot hold the path " + path +
        L": it has a quote, backslash, $ or line feed (move or rename it)";
  return false;
}

// Rewrites a file; a file of the user's is kept as it was first.
bool rewrite(const std::wstring& path, const std::wstring& text, const SwaySetup& setup,
             std::wstring& why) {
  return (path == setup.ownFile || keepBackup(path, why)) && writeConfig(path, text, why);
}

// Takes the bindings out of their files; `texts` holds the files written.
bool takeOut(const std::vector<Found>& found, const SwaySetup& setup,
             std::map<std::wstring, std::wstring>& texts, std::wstring& why) {
  std::map<const SwayFile*, std::vector<LineSpan>> spans;
  for (const Found& each : found) spans[each.file].push_back(each.binding->lines);
  for (const auto& file : spans) {
    texts[file.first->path] = withoutLines(file.first->lines, file.second);
    if (!rewrite(file.first->path, texts[file.first->path], setup, why)) return false;
  }
  return true;
}

std::wstring includeLine(const SwaySetup& setup) { return L"include " + forPeople(setup.ownFile); }

// The include lines of the user's configuration that name Tarvexel's file.
std::vector<LineSpan> includesOfOwn(const SwaySetup& setup) {
  std::vector<LineSpan> spans;
  for (const SwayFile& file : setup.files) {
    if (file.path != setup.userConfig) continue;
    for (const SwayInclude& include : file.config.includes) {
      for (const std::wstring& path : includedFiles(include.pattern, folderOf(file.path))) {
        if (path == setup.ownFile || resolvedPath(path) == resolvedPath(setup.ownFile)) {
          spans.push_back(include.lines);
        }
      }
    }
  }
  return spans;
}

// The user's configuration with the include line: a copy of the system's
// first where the user has none, so that no binding of sway's own is lost.
bool include(const SwaySetup& setup, std::wstring& why) {
  if (!includesOfOwn(setup).empty()) return true;
  std::wstring text;
  if (!setup.files.empty()) {
    for (const std::wstring& line : setup.files.front().lines) text += line;
  }
  const bool kept = setup.userHasOne ? keepBackup(setup.userConfig, why)
                                     : keepAsBackup(setup.userConfig, text, why);
  return kept && writeConfig(setup.userConfig, withLineAdded(text, includeLine(setup)), why);
}

bool save(const SwaySetup& setup, const std::vector<Found>& old, const std::wstring& line,
          std::wstring& why) {
  std::map<std::wstring, std::wstring> texts;
  if (!takeOut(old, setup, texts, why)) return false;
  std::wstring own;
  if (texts.count(setup.ownFile) != 0) {
    own = texts[setup.ownFile];
  } else if (!configExists(setup.ownFile)) {
    own = kOwnHeading;
  } else if (const std::optional<std::wstring> text = readConfig(setup.ownFile, why)) {
    own = *text;
  } else {
    return false;
  }
  return writeConfig(setup.ownFile, withLineAdded(own, line), why) && include(setup, why);
}

bool ownFileHasKeys(const SwaySetup& setup) {
  std::wstring why;
  const std::optional<std::wstring> text = readConfig(setup.ownFile, why);
  SwayVariables variables;
  return text && !readSwayConfig(splitLines(*text), variables).bindings.empty();
}

// Once it holds no key: Tarvexel's file, and the line that includes it.
bool forgetOwnFile(const SwaySetup& setup, std::wstring& why) {
  if (!removeConfig(setup.ownFile, why)) return false;
  const std::vector<LineSpan> lines = includesOfOwn(setup);
  if (lines.empty()) return true;
  return rewrite(setup.userConfig, withoutLines(setup.files.front().lines, lines), setup, why);
}

BindResult refusal(const std::wstring& why) { return {false, why}; }

// The line that binds the keys, and where it is.
std::wstring holderOf(const Found& found) {
  return L"\"" + found.binding->written + L"\" (" + placeOf(found) + L")";
}

BindResult bind(const KeyChord& keys, const LaunchCommand& command, bool replace) {
  std::wstring why;
  if (!swayCanHold(command.program, why) || !swayCanHold(command.profile, why)) {
    return refusal(why);
  }
  const SwaySetup setup = readSetup();
  if (!setup.why.empty()) return refusal(setup.why);
  const std::vector<Found> found = bindingsOf(setup, keys);
  for (const Found& each : found) {
    const bool ours = isOurs(*each.binding);
    if (!ours || !replace) return refusal(takenMessage(keys, kDesktop, holderOf(each), ours));
  }
  const std::wstring line =
      L"bindsym " + spelled(keys, kSwayKeys) + L" exec " + quotedCommand(command);
  if (!swayTook(swaymsg(line), why)) return refusal(why);
  if (!save(setup, found, line, why)) {
    swaymsg(L"unbindsym " + spelled(keys, kSwayKeys));
    return refusal(why);
  }
  return {true, keysText(keys) + L" runs " + command.profile + L" on sway, kept in " +
                    forPeople(setup.ownFile) + L" (which " + forPeople(setup.userConfig) +
                    L" includes)"};
}

BindResult unbind(const KeyChord& keys) {
  const SwaySetup setup = readSetup();
  if (!setup.why.empty()) return refusal(setup.why);
  std::vector<Found> ours;
  std::wstring theirs;
  for (const Found& each : bindingsOf(setup, keys)) {
    if (isOurs(*each.binding)) {
      ours.push_back(each);
    } else {
      theirs = holderOf(each);
    }
  }
  if (ours.empty()) return refusal(notOursMessage(keys, kDesktop, theirs));
  std::wstring why;
  std::map<std::wstring, std::wstring> texts;
  if (!takeOut(ours, setup, texts, why)) return refusal(why);
  swaymsg(L"unbindsym " + spelled(keys, kSwayKeys));
  if (!ownFileHasKeys(setup) && !forgetOwnFile(readSetup(), why)) return refusal(why);
  return {true, keysText(keys) + L" no longer runs tarvexel on sway"};
}

std::vector<Binding> bindings() {
  std::vector<Binding> list;
  for (const SwayFile& file : readSetup().files) {
    for (const SwayBinding& binding : file.config.bindings) {
      const std::optional<std::wstring> profile = profileOf(execCommand(binding.command));
      if (binding.keys && profile) list.push_back({*binding.keys, *profile});
    }
  }
  return list;
}

}  // namespace

const KeyBinder* swayBinder() {
  static const KeyBinder binder{kDesktop, bindings, bind, unbind, nullptr};
  return &binder;
}

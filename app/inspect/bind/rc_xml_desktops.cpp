// openbox and labwc: a keybind in the user's rc.xml (made from the
// system's when the user has none), then the window manager or compositor
// told to read it again, which binds the key at once.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "app/inspect/bind/config_file.h"
#include "app/inspect/bind/config_keys.h"
#include "app/inspect/bind/desktops.h"
#include "app/inspect/bind/rc_xml.h"
#include "app/inspect/bind/program_output.h"
#include "platform/posix/utf8.h"

namespace {

struct RcXmlDesktop {
  const wchar_t* name;    // for people: "labwc", "Openbox"
  const wchar_t* folder;  // its folder among the configuration folders
  const RcXmlKind& kind;
  // The rc.xml it reads of the user's.
  std::wstring (*userFile)(const RcXmlDesktop& desktop);
  bool (*reconfigure)(std::wstring& why);
};

// The file as it stands: the user's, or what the user's would be made of.
struct RcXml {
  std::wstring path;
  std::wstring text;
  bool exists = false;
  std::wstring why;  // set when it cannot be read
};

std::wstring xdgUserFile(const RcXmlDesktop& desktop) {
  return configHome() + L"/" + desktop.folder + L"/rc.xml";
}

RcXml current(const RcXmlDesktop& desktop) {
  RcXml file;
  file.path = desktop.userFile(desktop);
  bool missing = false;
  std::wstring why;
  if (const std::optional<std::wstring> text = readConfig(file.path, why, &missing)) {
    file.text = *text;
    file.exists = true;
    return file;
  }
  if (!missing) {
    file.why = why;
    return file;
  }
  for (const std::wstring& folder : systemConfigFolders()) {
    const std::wstring system = folder + L"/" + desktop.folder + L"/rc.xml";
    if (const std::optional<std::wstring> text = readConfig(system, why)) {
      file.text = *text;
      return file;
    }
  }
  file.text = freshRcXml(desktop.kind);
  return file;
}

// The keybinds, or empty with `why` naming the file.
std::optional<std::vector<RcXmlKeybind>> keybindsOf(const RcXml& file,
                                                    const RcXmlDesktop& desktop,
                                                    std::wstring& why) {
  if (!file.why.empty()) {
    why = file.why;
    return std::nullopt;
  }
  std::optional<std::vector<RcXmlKeybind>> keybinds =
      readKeybinds(file.text, desktop.kind, why);
  if (!keybinds) why = forPeople(file.path) + L" " + why;
  return keybinds;
}

bool bindsKeys(const RcXmlKeybind& keybind, const KeyChord& keys) {
  for (const KeyChord& chord : keybind.keys) {
    if (chord == keys) return true;
  }
  return false;
}

// The keybind that binds the keys, and where it is.
std::wstring holderOf(const RcXmlKeybind& keybind, const RcXml& file) {
  const std::wstring what =
      keybind.command.empty() ? L"another action" : L"\"" + keybind.command + L"\"";
  return L"<keybind key=\"" + keybind.key + L"\"> runs " + what + L" (" + forPeople(file.path) +
         L")";
}

// Writes the user's rc.xml, kept as it was first, and has it read again.
BindResult save(const RcXmlDesktop& desktop, const RcXml& file, const std::wstring& text,
                const std::wstring& done) {
  std::wstring why;
  const bool kept = file.exists ? keepBackup(file.path, why) : keepAsBackup(file.path, file.text, why);
  if (!kept || !writeConfig(file.path, text, why)) {
    return {false, why};
  }
  if (!desktop.reconfigure(why)) return {true, done + L" once " + why};
  return {true, done};
}

BindResult bindOn(const RcXmlDesktop& desktop, const KeyChord& keys,
                  const LaunchCommand& command, bool replace) {
  const RcXml file = current(desktop);
  std::wstring why;
  const std::optional<std::vector<RcXmlKeybind>> keybinds = keybindsOf(file, desktop, why);
  if (!keybinds) return {false, why};
  for (const RcXmlKeybind& keybind : *keybinds) {
    if (!bindsKeys(keybind, keys)) continue;
    const bool ours = runsTarvexel(keybind.command);
    if (!ours || !replace) {
      return {false, takenMessage(keys, desktop.name, holderOf(keybind, file), ours)};
    }
  }
  if (isDefaultKey(file.text, desktop.kind, keys)) {
    return {false, keysText(keys) + L" is one of " + desktop.name + L"'s own keys (<default/>)"};
  }
  std::optional<std::wstring> text =
      replace ? withoutKeybinds(file.text, desktop.kind, keys, std::nullopt, why) : file.text;
  if (text) text = withKeybind(*text, desktop.kind, keys, quotedCommand(command), why);
  if (!text) return {false, forPeople(file.path) + L" " + why};
  return save(desktop, file, *text,
              keysText(keys) + L" runs " + command.profile + L" on " + desktop.name +
                  L", kept in " + forPeople(file.path));
}

BindResult unbindOn(const RcXmlDesktop& desktop, const KeyChord& keys) {
  const RcXml file = current(desktop);
  std::wstring why;
  const std::optional<std::vector<RcXmlKeybind>> keybinds = keybindsOf(file, desktop, why);
  if (!keybinds) return {false, why};
  bool ours = false;
  std::wstring theirs;
  for (const RcXmlKeybind& keybind : *keybinds) {
    if (!bindsKeys(keybind, keys)) continue;
    ours = ours || runsTarvexel(keybind.command);
    if (!runsTarvexel(keybind.command)) {
      theirs = holderOf(keybind, file);
    }
  }
  if (!ours || !file.exists) {
    return {false, notOursMessage(keys, desktop.name, theirs)};
  }
  const std::optional<std::wstring> original = readConfig(file.path + L".tarvexel-backup", why);
  const std::optional<std::wstring> text =
      withoutKeybinds(file.text, desktop.kind, keys, original, why);
  if (!text) return {false, forPeople(file.path) + L" " + why};
  return save(desktop, file, *text,
              keysText(keys) + L" no longer runs tarvexel on " + desktop.name);
}

std::vector<Binding> bindingsOn(const RcXmlDesktop& desktop) {
  std::vector<Binding> list;
  std::wstring why;
  const std::optional<std::vector<RcXmlKeybind>> keybinds =
      keybindsOf(current(desktop), desktop, why);
  if (!keybinds) return list;
  for (const RcXmlKeybind& keybind : *keybinds) {
    const std::optional<std::wstring> profile = profileOf(keybind.command);
    if (!profile) continue;
    for (const KeyChord& keys : keybind.keys) list.push_back({keys, *profile});
  }
  return list;
}

bool openboxReconfigure(std::wstring& why) {
  const ProgramOutput run = runProgram(std::vector<std::wstring>{L"openbox", L"--reconfigure"});
  if (run.succeeded) return true;
  const std::wstring said = saidBy(run);
  why = L"openbox --reconfigure has run (it did not: " +
        (said.empty() ? std::wstring(L"is openbox on PATH?") : said) + L")";
  return false;
}

// labwc names its process in its clients' environment; a stale number
// names no labwc, and is sent nothing.
pid_t labwcProcess() {
  const char* value = std::getenv("LABWC_PID");
  char* end = nullptr;
  const long pid = value != nullptr ? std::strtol(value, &end, 10) : 0;
  if (pid <= 0 || pid > INT_MAX || *end != '\0') return 0;
  std::wstring why;
  const std::optional<std::wstring> name =
      readConfig(L"/proc/" + std::to_wstring(pid) + L"/comm", why);
  return name && *name == L"labwc\n" ? static_cast<pid_t>(pid) : 0;
}

bool labwcReconfigure(std::wstring& why) {
  const pid_t pid = labwcProcess();
  if (pid > 0 && ::kill(pid, SIGHUP) == 0) return true;
  why = L"labwc has read it again (labwc --reconfigure; LABWC_PID names no labwc of yours)";
  return false;
}

// The value of labwc's option (-C DIR, --config-dir=DIR...) in its own
// command line; empty when it was not given.
std::wstring optionOf(const std::vector<std::wstring>& words, const std::wstring& shortName,
                      const std::wstring& longName) {
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::wstring& word = words[i];
    if (word == L"--") break;
    const bool takesValue = word == L"-s" || word == L"-S" || word == L"--startup" ||
                            word == L"--session" || word == L"-c" || word == L"-C" ||
                            word == L"--config" || word == L"--config-dir";
    if ((word == shortName || word == longName) && i + 1 < words.size()) return words[i + 1];
    if (word.compare(0, longName.size() + 1, longName + L"=") == 0) {
      return word.substr(longName.size() + 1);
    }
    if (word.size() > 2 && word.compare(0, 2, shortName) == 0) return word.substr(2);
    if (takesValue) ++i;
  }
  return {};
}

// labwc reads the rc.xml its command line names (-c FILE, -C DIR), else
// the user's.
std::wstring labwcFile(const RcXmlDesktop& desktop) {
  const pid_t pid = labwcProcess();
  std::wstring why;
  const std::wstring process = L"/proc/" + std::to_wstring(pid);
  const std::optional<std::wstring> line = readConfig(process + L"/cmdline", why);
  if (pid == 0 || !line) return xdgUserFile(desktop);
  std::vector<std::wstring> words(1);
  for (const wchar_t c : *line) {
    if (c == L'\0') {
      words.emplace_back();
    } else {
      words.back() += c;
    }
  }
  char cwd[PATH_MAX];
  std::string cwdBytes;
  utf8::narrowLossless(process + L"/cwd", cwdBytes);
  const ssize_t length = ::readlink(cwdBytes.c_str(), cwd, sizeof cwd - 1);
  const std::wstring folder =
      utf8::widenLossless(std::string(cwd, length > 0 ? static_cast<std::size_t>(length) : 0));
  const std::wstring file = optionOf(words, L"-c", L"--config");
  if (!file.empty()) return pathFrom(folder, file);
  const std::wstring configFolder = optionOf(words, L"-C", L"--config-dir");
  if (!configFolder.empty()) return pathFrom(folder, configFolder) + L"/rc.xml";
  return xdgUserFile(desktop);
}

const RcXmlDesktop kOpenbox{L"Openbox", L"openbox", kOpenboxRcXml, xdgUserFile,
                            openboxReconfigure};
const RcXmlDesktop kLabwc{L"labwc", L"labwc", kLabwcRcXml, labwcFile, labwcReconfigure};

// A KeyBinder's functions for one of the two.
template <const RcXmlDesktop& desktop>
struct On {
  static std::vector<Binding> bindings() { return bindingsOn(desktop); }
  static BindResult bind(const KeyChord& keys, const LaunchCommand& command, bool replace) {
    return bindOn(desktop, keys, command, replace);
  }
  static BindResult unbind(const KeyChord& keys) { return unbindOn(desktop, keys); }
};

}  // namespace

const KeyBinder* openboxBinder() {
  static const KeyBinder binder{kOpenbox.name, On<kOpenbox>::bindings, On<kOpenbox>::bind,
                                On<kOpenbox>::unbind, nullptr};
  return &binder;
}

const KeyBinder* labwcBinder() {
  static const KeyBinder binder{kLabwc.name, On<kLabwc>::bindings, On<kLabwc>::bind,
                                On<kLabwc>::unbind, nullptr};
  return &binder;
}

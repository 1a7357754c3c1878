// KDE Plasma: a key that runs a command is what System Settings' "Add
// Command" makes in Plasma 6: a desktop file in the user's applications
// folder, net.local.PROGRAM.desktop (then -2, -3...), marked as a command
// shortcut, and its shortcut held by kglobalaccel, which is told over the
// session bus so that the key works at once, and keeps it for good. Plasma
// 5.27's kglobalaccel takes such a file the same way (its System Settings
// lists it among the applications).
//
// KWin lends its window management to the first desktop file whose Exec
// runs the program, and a shortcut's file runs tarvexel too: so it asks for
// the same interface as the file the package installs, lest it come first
// and take the launcher's windows away.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/inspect/bind/command_text.h"
#include "app/inspect/bind/desktop_entry.h"
#include "app/inspect/bind/desktops.h"
#include "app/inspect/bind/kglobalaccel.h"
#include "platform/posix/utf8.h"

namespace {

namespace fs = std::filesystem;
using kglobalaccel::Shortcuts;

constexpr char kCommandMark[] = "X-KDE-GlobalAccel-CommandShortcut";
constexpr char kInterfacesKey[] = "X-KDE-Wayland-Interfaces";
constexpr wchar_t kWindowManagement[] = L"org_kde_plasma_window_management";

// A command shortcut of Tarvexel's: its desktop file, and what it runs.
struct Command {
  std::string file;  // the file's name, which is also kglobalaccel's name for it
  std::wstring exec;
};

std::string userApplications() { return dataFolders().front() + "/applications"; }

// The desktop files in a folder; none when it cannot be read.
std::vector<fs::path> desktopFilesIn(const std::string& folder) {
  std::vector<fs::path> files;
  std::error_code error;
  for (fs::directory_iterator item(folder, error), end; !error && item != end;
       item.increment(error)) {
    if (item->path().extension() == ".desktop") files.push_back(item->path());
  }
  return files;
}

// The command shortcut of that name in the user's folder, if it runs tarvexel.
std::optional<Command> ourCommand(const std::string& file) {
  if (file.find('/') != std::string::npos) return std::nullopt;
  std::map<std::string, std::wstring> entry = desktopEntry(userApplications() + "/" + file);
  if (entry[kCommandMark] != L"true" || !runsTarvexel(entry["Exec"])) return std::nullopt;
  return Command{file, entry["Exec"]};
}

// As System Settings names a new command's file: the first name no folder
// of applications holds.
std::string freeFileName() {
  for (int n = 1;; ++n) {
    const std::string name = "net.local.tarvexel" + (n == 1 ? "" : "-" + std::to_string(n)) + ".desktop";
    bool taken = false;
    for (const std::string& folder : dataFolders()) {
      std::error_code error;
      taken = taken || fs::exists(folder + "/applications/" + name, error);
    }
    if (!taken) return name;
  }
}

bool writeCommand(const std::string& file, const std::wstring& title, const std::wstring& exec) {
  std::error_code error;
  fs::create_directories(userApplications(), error);
  const std::string path = userApplications() + "/" + file;
  const std::string partial = path + ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << "[Desktop Entry]\nType=Application\nName=" << escapedValue(title)
        << "\nExec=" << escapedValue(exec)
        << "\nNoDisplay=true\nStartupNotify=false\n" << kCommandMark << "=true\n"
        << "# KWin gives the launcher its windows by the first desktop file that runs it.\n"
        << kInterfacesKey << "=" << utf8::narrow(kWindowManagement) << "\n";
    if (!out.flush()) return false;
  }
  fs::rename(partial, path, error);
  return !error;
}

void removeFile(const std::string& file) {
  std::error_code error;
  fs::remove(userApplications() + "/" + file, error);
}

// Takes a command shortcut of Tarvexel's away: its file, then what
// kglobalaccel holds for it (System Settings removes one so).
bool removeCommand(Shortcuts& kde, const Command& command) {
  removeFile(command.file);
  return kde.removeCommand(command.file);
}

BindResult notAnswered(const Shortcuts& kde) {
  return {false, L"KDE's global shortcuts (kglobalaccel) did not answer on the session bus: " +
                     utf8::widenLossless(kde.error())};
}

// The profile a command of Tarvexel's hands the launcher.
std::wstring profileIn(const Command& command) {
  const std::vector<std::wstring> words = execWords(command.exec);
  return words.size() > 1 ? words[1] : std::wstring();
}

BindResult refusedAsHeld(const KeyChord& keys, const kglobalaccel::Action& holder,
                         const std::optional<Command>& ours) {
  if (ours) return {false, boundAlready(keys, profileIn(*ours))};
  return {false, keysText(keys) + L" is taken by " + utf8::widenLossless(holder.componentName) +
                     L": " + utf8::widenLossless(holder.actionName)};
}

BindResult bind(const KeyChord& keys, const LaunchCommand& command, bool replace) {
  if (!isText(command.profile) || !isText(command.program))
    return {false, L"desktop files hold only UTF-8 text, and the profile's path is not"};
  // Plasma 5.27 leaves out an argument with a % in it, whatever its quotes.
  if ((command.program + command.profile).find(L'%') != std::wstring::npos)
    return {false, L"KDE Plasma 5 cannot hand the launcher a profile whose path holds %; "
                   L"rename it or its folder"};
  SessionBus bus;
  Shortcuts kde(bus);
  const int key = kglobalaccel::qtKey(keys);
  std::optional<kglobalaccel::Action> holder;
  if (!kde.holderOf(key, holder)) return notAnswered(kde);
  // Named before a replaced one goes, so never after it: KDE 6 reads a
  // command from its index of desktop files, which would still give the
  // replaced command under the old name.
  const std::string file = freeFileName();
  if (holder) {
    const std::optional<Command> ours = ourCommand(holder->component);
    if (!ours || !replace) return refusedAsHeld(keys, *holder, ours);
    if (!removeCommand(kde, *ours)) return notAnswered(kde);
  }
  const std::wstring title = titleFor(command.profile);
  const std::wstring exec = execOf(command.program, command.profile);
  if (!writeCommand(file, title, exec))
    return {false, L"cannot write " + utf8::widenLossless(userApplications() + "/" + file)};
  if (!kde.addCommand(file, utf8::narrow(title)) || !kde.setKey(file, utf8::narrow(title), key)) {
    const BindResult failed = notAnswered(kde);
    removeCommand(kde, {file, exec});
    return failed;
  }
  return {true, L"Bound " + keysText(keys) + L" to run " + exec + L" (KDE command shortcut " +
                    utf8::widenLossless(userApplications() + "/" + file) + L")"};
}

BindResult unbind(const KeyChord& keys) {
  SessionBus bus;
  Shortcuts kde(bus);
  std::optional<kglobalaccel::Action> holder;
  if (!kde.holderOf(kglobalaccel::qtKey(keys), holder)) return notAnswered(kde);
  const std::optional<Command> ours = holder ? ourCommand(holder->component) : std::nullopt;
  if (!ours) return {false, L"Tarvexel has bound nothing to " + keysText(keys) + L" on KDE"};
  if (!removeCommand(kde, *ours)) return notAnswered(kde);
  return {true, L"Unbound " + keysText(keys) + L" (KDE command shortcut " +
                    utf8::widenLossless(ours->file) + L", which ran " + ours->exec + L")"};
}

std::vector<Binding> bindings() {
  std::vector<Binding> found;
  SessionBus bus;
  Shortcuts kde(bus);
  for (const fs::path& file : desktopFilesIn(userApplications())) {
    const std::optional<Command> ours = ourCommand(file.filename().string());
    const int key = ours ? kde.keyOf(ours->file) : 0;
    const std::optional<KeyChord> keys = kglobalaccel::chordOfQtKey(key);
    if (keys) found.push_back({*keys, profileIn(*ours)});
  }
  return found;
}

// Whether a desktop file, not a shortcut's, grants the launcher KWin's
// window management: its Exec runs this launcher and it asks for the
// interface.
bool grantsWindows(const fs::path& file, const fs::path& launcher) {
  std::map<std::string, std::wstring> entry = desktopEntry(file.string());
  const std::vector<std::wstring> words = execWords(entry["Exec"]);
  std::error_code error;
  if (entry[kCommandMark] == L"true" || words.empty() ||
      fs::canonical(utf8::narrow(words[0]), error) != launcher)
    return false;
  const std::wstring interfaces = L"," + entry[kInterfacesKey] + L",";
  return interfaces.find(L"," + std::wstring(kWindowManagement) + L",") != std::wstring::npos;
}

std::vector<std::wstring> whatKwinLacks() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (wayland == nullptr || *wayland == '\0') return {};
  std::error_code error;
  const fs::path launcher = fs::canonical(utf8::narrow(installedLauncher()), error);
  for (const std::string& folder : dataFolders()) {
    for (const fs::path& file : desktopFilesIn(folder + "/applications")) {
      if (grantsWindows(file, launcher)) return {};
    }
  }
  return {L"a desktop file through which KWin shows it its windows: tarvexel.desktop in "
          L"~/.local/share/applications or /usr/share/applications, with Exec=\"" +
          utf8::widenLossless(launcher.string()) + L"\" and " + utf8::widenLossless(kInterfacesKey) +
          L"=" + kWindowManagement + L" (the package installs it)"};
}

}  // namespace

const KeyBinder* kdeBinder() {
  static const KeyBinder binder{L"KDE Plasma", bindings, bind, unbind, whatKwinLacks};
  return &binder;
}

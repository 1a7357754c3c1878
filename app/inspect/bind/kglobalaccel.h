// KDE's global shortcuts service, kglobalaccel (in KWin's own process on
// Wayland), over the session bus: it grabs a key the moment it is told, and
// keeps it in kglobalshortcutsrc. A command of the user's is a component
// named after a desktop file ("net.local.NAME.desktop"), whose one action,
// "_launch", runs the file's Exec.
#ifndef TARVEXEL_APP_INSPECT_BIND_KGLOBALACCEL_H
#define TARVEXEL_APP_INSPECT_BIND_KGLOBALACCEL_H

#include <optional>
#include <string>

#include "app/inspect/bind/keys.h"
#include "app/inspect/bind/session_bus.h"

namespace kglobalaccel {

// Qt's code for a chord, its key and modifiers in one int, the form
// kglobalaccel takes keys in; and back.
int qtKey(const KeyChord& keys);
std::optional<KeyChord> chordOfQtKey(int key);

// An action as kglobalaccel names it.
struct Action {
  std::string component;
  std::string action;
  std::string componentName;  // for people
  std::string actionName;
};

class Shortcuts {
 public:
  explicit Shortcuts(SessionBus& bus) : bus_(bus) {}

  // The action that holds the key, in `holder`; false when kglobalaccel
  // did not answer.
  bool holderOf(int key, std::optional<Action>& holder);
  // Makes the component of a desktop file the user's applications folder
  // holds. KDE 6 finds the file through its index of desktop files, which
  // may take in a new one only a second or so later: asked again until it
  // has.
  bool addCommand(const std::string& desktopFile, const std::string& name);
  // Gives the command the key (0: none); false unless it holds it then.
  bool setKey(const std::string& desktopFile, const std::string& name, int key);
  // The key of the command, 0 for none.
  int keyOf(const std::string& desktopFile);
  // Forgets the command, once its desktop file is gone.
  bool removeCommand(const std::string& desktopFile);

  const std::string& error() const { return bus_.error(); }

 private:
  SessionBus& bus_;
};

}  // namespace kglobalaccel

#endif

#include "launcher/launcher.h"

#include <cstdint>

#include "launcher/vocabulary.h"

namespace {

using vocabulary::Mode;
using vocabulary::WindowWord;

// The longest wait that is not INFINITE: no profile may make us wait for ever.
constexpr std::int64_t kLongestSleep = INFINITE - 1;

// How long a window is given to take a close request. A window that asks
// first ("save your work?") or has stopped answering keeps the request, and
// its question, while the run goes on without it; one that closes at once is
// gone before the next entry runs.
constexpr UINT kCloseAnswerMilliseconds = 1000;

// What the C run-time's _wtol skips before a number.
bool isRunTimeSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

const wchar_t* orAny(const ProfileString& name) { return name.empty() ? nullptr : name.c_str(); }

void launchAndForget(const std::wstring& value) {
  if (const HANDLE process = launchCommand(value)) CloseHandle(process);
}

void launchAndWait(const std::wstring& value) {
  if (const HANDLE process = launchCommand(value)) {
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
  }
}

// Pressed again and again, "next" visits every window of the rule: the one
// it brings forward goes to the top, and the next press takes the lowest.
void bringForward(HWND window, const Selection& rule) {
  if (rule.bringHere) {
    BringWindowHere(window);
  } else {
    ActivateWindow(window);
  }
}

void activateLeastRecent(const Selection& rule) {
  const HWND least =
      FindLeastRecentWindow(orAny(rule.className), orAny(rule.title), rule.titleMatch);
  // Gone since the rule fired: the rule's own window is all there is.
  bringForward(least != nullptr ? least : rule.window, rule);
}

void actOnWindow(WindowWord word, const Selection& selection) {
  const HWND window = selection.window;
  switch (word) {
    case WindowWord::close:
      SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kCloseAnswerMilliseconds,
                          nullptr);
      break;
    case WindowWord::active:
      bringForward(window, selection);
      break;
    case WindowWord::next:
      activateLeastRecent(selection);
      break;
    case WindowWord::minimize:
      // Asked without waiting: nothing after it needs the window minimised.
      ShowWindowAsync(window, SW_MINIMIZE);
      break;
    case WindowWord::none:
      break;
  }
}

// The window words act on a rule's window; every other value, and every
// value without a window, is a program to start.
void exec(const ProfileString& value, const Selection& selection) {
  const WindowWord word = vocabulary::windowWordOf(value);
  if (selection.window != nullptr && word != WindowWord::none) {
    actOnWindow(word, selection);
  } else {
    launchAndForget(std::wstring(value));
  }
}

}  // namespace

// A key that only refines a rule, as later versions added them: looked up
// without recording anything, null when the section has none.
const ProfileString* refinement(Profile& profile, const ProfileString& section,
                                std::wstring_view key) {
  static const ProfileString none;
  const ProfileString& value = profile.getValueOr(section, key, none, false);
  return &value == &none ? nullptr : &value;
}

Selection selectSection(Profile& profile, const RuleObserver& observe) {
  const ProfileString noName;
  const ProfileString defaultMode(vocabulary::kDefaultMode);
  for (const ProfileSection& section : profile.sections()) {
    if (section.name == vocabulary::kDefaultSection) continue;
    // Asking with storeDefault records the missing keys in the section; the
    // runner passes over them, so they change nothing that runs.
    const ProfileString& className =
        profile.getValueOr(section.name, vocabulary::kClass, noName, true);
    const ProfileString& title = profile.getValueOr(section.name, vocabulary::kTitle, noName, true);
    if (!vocabulary::isWindowRule(section.name, className, title)) continue;
    const ProfileString& modeValue =
        profile.getValueOr(section.name, vocabulary::kMode, defaultMode, true);
    const Mode mode = vocabulary::modeOf(modeValue);
    // A title compared by part, and a window brought here, refine the rule;
    // a value they do not know makes it never fire, as an unknown mode does.
    const ProfileString* titleMatchValue =
        title.empty() ? nullptr : refinement(profile, section.name, vocabulary::kTitleMatch);
    const ProfileString* workspace = refinement(profile, section.name, vocabulary::kWorkspace);
    const std::optional<TitleMatch> titleMatch =
        titleMatchValue ? vocabulary::titleMatchOf(*titleMatchValue) : TitleMatch::exact;
    const bool known = titleMatch && (!workspace || *workspace == vocabulary::kWorkspaceHere);
    const TitleMatch comparison = titleMatch.value_or(TitleMatch::exact);
    const HWND window = FindShownWindow(orAny(className), orAny(title), comparison);
    // The window in front is asked for only where it matters: an "active" rule
    // whose window exists.
    const HWND foreground =
        window != nullptr && mode == Mode::active ? GetForegroundWindow() : nullptr;
    const bool fires = known && window != nullptr &&
                       (mode == Mode::exec || (mode == Mode::active && window == foreground));
    if (observe) {
      observe({section, className, title, modeValue, titleMatchValue, workspace, window, foreground,
               fires});
    }
    if (fires) return {section.entries, window, className, title, comparison, workspace != nullptr};
  }
  return {profile.findSection(vocabulary::kDefaultSection, false), nullptr};
}

void selectAndRun(Profile& profile) { runSection(selectSection(profile)); }

void runSection(const Selection& selection) {
  for (const ProfileEntry& entry : selection.entries) {
    if (entry.key == vocabulary::kExec) {
      exec(entry.value, selection);
    } else if (entry.key == vocabulary::kExecSync) {
      launchAndWait(std::wstring(entry.value));
    } else if (entry.key == vocabulary::kSleep) {
      Sleep(sleepMilliseconds(entry.value));
    }
  }
}

DWORD sleepMilliseconds(std::wstring_view value) {
  auto at = value.begin();
  while (at != value.end() && isRunTimeSpace(*at)) ++at;
  bool negative = false;
  if (at != value.end() && (*at == L'+' || *at == L'-')) negative = *at++ == L'-';
  std::int64_t magnitude = 0;
  for (; at != value.end() && *at >= L'0' && *at <= L'9'; ++at) {
    magnitude = magnitude * 10 + (*at - L'0');
    if (magnitude > kLongestSleep) magnitude = kLongestSleep;
  }
  return negative ? 0 : static_cast<DWORD>(magnitude);
}

CommandParts splitCommand(const std::wstring& value) {
  const std::size_t bar = value.find(L'|');
  if (bar == std::wstring::npos) return {value, std::wstring()};
  return {value.substr(0, bar), value.substr(bar + 1)};
}

HANDLE launchCommand(const std::wstring& value) {
  const CommandParts parts = splitCommand(value);
  return shellOpen(parts.file, parts.parameters);
}

HANDLE shellOpen(const std::wstring& file, const std::wstring& parameters) {
  if (file.empty()) return nullptr;
  SHELLEXECUTEINFO request{};
  request.cbSize = sizeof request;
  // Without NO_UI a failed launch makes the shell show its own modal error
  // box, which would hold up the rest of the run until someone dismissed it;
  // a failed launch must be silent and let the run go on. NOASYNC: the shell
  // may hand a verb to an extension that finishes after the call returns,
  // and this thread has no message loop and ends soon after.
  request.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  request.hwnd = nullptr;
  request.lpVerb = L"Open";
  request.lpFile = file.c_str();
  request.lpParameters = parameters.c_str();
  request.lpDirectory = nullptr;
  // As Explorer starts a program. Windows CE never passed this on; desktop
  // Windows does, and a program that shows its first window as told would
  // stay hidden with 0 (SW_HIDE).
  request.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteEx(&request)) return nullptr;
  return request.hProcess;
}

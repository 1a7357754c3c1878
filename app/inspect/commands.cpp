#include "app/inspect/commands.h"

#include "app/inspect/bind/bind_commands.h"
#include "app/inspect/explain.h"
#include "app/inspect/window_table.h"
#include "platform/services.h"

namespace {

constexpr unsigned kDefaultWait = 3;
constexpr unsigned kLongestWait = 3600;

const wchar_t kHelp[] =
    L"Usage: tarvexel-inspect COMMAND\n"
    L"Shows the windows Tarvexel sees, and what a profile will do before it runs.\n"
    L"\n"
    L"Commands:\n"
    L"  windows [--tsv]   every window the launcher can see, in the order its search\n"
    L"                    finds them, \"*\" marking the one in front; with --tsv one\n"
    L"                    line each of front (1 or 0), window, title and class names,\n"
    L"                    separated by tabs\n"
    L"  front [SECONDS]   waits SECONDS (3 unless given) while you switch to a window,\n"
    L"                    then shows the window in front\n"
    L"  explain PROFILE   reads PROFILE as the launcher would and tells which section\n"
    L"                    would run and what each entry would do, and warns of likely\n"
    L"                    mistakes; it starts, closes and activates nothing\n"
    L"  bind [--replace] KEYS PROFILE\n"
    L"                    binds KEYS (such as Super+T or Ctrl+Alt+N) to run tarvexel\n"
    L"                    with PROFILE, at once and for good, the desktop's own way;\n"
    L"                    --replace replaces a binding of Tarvexel's on those keys\n"
    L"  unbind KEYS       removes Tarvexel's binding of KEYS, and nothing else\n"
    L"  bindings          lists the keys Tarvexel bound: keys, profile, desktop\n"
    L"  --help            this text\n"
    L"  --version         the version\n"
    L"\n"
    L"Exit status: explain 0 when a section would run and 1 when none would, as the\n"
    L"launcher; front 1 when no window is in front; bind, unbind and bindings 1 when\n"
    L"the desktop refused (a taken key, a key or desktop it cannot bind, a profile it\n"
    L"cannot read); 0 otherwise; 2 for a usage error.\n";

int usageError(const Console& console, const std::wstring& problem) {
  console.err(L"tarvexel-inspect: " + problem + L"\nTry: tarvexel-inspect --help\n");
  return kUsageError;
}

std::wstring systemLine() { return L"Window system: " + DescribeWindowSystem() + L"\n"; }

int listWindows(const std::vector<std::wstring>& options, const Console& console) {
  if (options.size() > 1 || (options.size() == 1 && options[0] != L"--tsv")) {
    return usageError(console, L"windows takes only --tsv");
  }
  const std::vector<WindowDescription> windows = ListTopLevelWindows();
  if (!options.empty()) {
    console.out(windowValues(windows));
  } else {
    console.out(systemLine() + (windows.empty() ? L"No windows.\n" : windowTable(windows)));
  }
  return 0;
}

// A whole number of seconds, up to an hour.
bool readSeconds(const std::wstring& text, unsigned& seconds) {
  if (text.empty() || text.size() > 4) return false;
  seconds = 0;
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    seconds = seconds * 10 + static_cast<unsigned>(c - L'0');
  }
  return seconds <= kLongestWait;
}

int showFront(const std::vector<std::wstring>& options, const Console& console) {
  unsigned seconds = kDefaultWait;
  if (options.size() > 1 || (options.size() == 1 && !readSeconds(options[0], seconds))) {
    return usageError(console, L"front takes a number of seconds, at most 3600");
  }
  console.err(L"Switch to the window you want a rule for.");
  for (unsigned left = seconds; left > 0; --left) {
    console.err(L" " + std::to_wstring(left) + L"...");
    Sleep(1000);
  }
  console.err(L"\n");
  for (const WindowDescription& window : ListTopLevelWindows()) {
    if (window.front) {
      console.out(systemLine() + windowTable({window}));
      return 0;
    }
  }
  std::wstring text = systemLine() + L"No window the launcher can see is in front.\n";
  const std::wstring why = WhyNoWindowIsInFront();
  if (!why.empty()) text += why + L"\n";
  console.out(text);
  return 1;
}

int explain(const std::vector<std::wstring>& words, const Console& console) {
  // The path as the launcher takes its command line: the words joined by
  // single blanks, cut at a carriage return.
  std::wstring path;
  for (const std::wstring& word : words) path += (path.empty() ? L"" : L" ") + word;
  path = path.substr(0, path.find(L'\r'));
  if (path.empty()) return usageError(console, L"explain needs the path of a profile");
  const Explanation explanation = explainProfile(path);
  console.out(explanation.report);
  return explanation.status;
}

}  // namespace

int runInspect(const std::vector<std::wstring>& arguments, const Console& console) {
  if (arguments.empty()) return usageError(console, L"a command is missing");
  const std::wstring& command = arguments[0];
  const std::vector<std::wstring> rest(arguments.begin() + 1, arguments.end());
  if (command == L"windows") return listWindows(rest, console);
  if (command == L"front") return showFront(rest, console);
  if (command == L"explain") return explain(rest, console);
  if (command == L"bind") return bindKeys(rest, console);
  if (command == L"unbind") return unbindKeys(rest, console);
  if (command == L"bindings") return listBindings(rest, console);
  if (command == L"--help" && rest.empty()) {
    console.out(kHelp);
    return 0;
  }
  if (command == L"--version" && rest.empty()) {
    console.out(L"tarvexel-inspect " TARVEXEL_VERSION L"\n");
    return 0;
  }
  return usageError(console, L"unknown command: " + command);
}

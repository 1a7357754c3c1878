#include "app/inspect/bind/bind_commands.h"

#include <filesystem>
#include <optional>

#include "app/inspect/bind/binder.h"
#include "app/inspect/bind/desktops.h"
#include "platform/services.h"

namespace {

constexpr int kDone = 0;
constexpr int kRefused = 1;

int usageError(const Console& console, const std::wstring& problem) {
  console.err(L"tarvexel-inspect: " + problem + L"\nTry: tarvexel-inspect --help\n");
  return kUsageError;
}

int refused(const Console& console, const std::wstring& why) {
  console.err(L"tarvexel-inspect: " + why + L"\n");
  return kRefused;
}

// The system's words for an errno value; they are ASCII in the C locale.
std::wstring reasonOf(int error) {
  const std::string text = std::generic_category().message(error);
  return std::wstring(text.begin(), text.end());
}

// The profile as a binding names it, wherever the key is pressed: its
// absolute path, once it is known to be readable. Empty when it is not,
// with the reason in `why`.
std::wstring readableProfile(const std::wstring& path, std::wstring& why) {
  std::error_code error;
  const std::wstring absolute = std::filesystem::absolute(path, error).wstring();
  const WideTextFile file(absolute);
  if (file.isOpen()) return absolute;
  why = L"cannot read the profile " + path + L" (" + reasonOf(file.error()) + L")";
  return {};
}

// Where there is no way to bind: the command, for the user to bind by hand.
int bindByHand(const Console& console, const std::wstring& desktop, const KeyChord& keys,
               const LaunchCommand& command) {
  console.err(L"tarvexel-inspect: cannot bind keys on " + desktop + L". Bind " + keysText(keys) +
              L" in its own settings to run:\n  " + shellQuoted(command.program) + L" " +
              shellQuoted(command.profile) +
              L"\n(tarvexel-desktops(7) tells, for each desktop, where that goes.)\n");
  return kRefused;
}

std::optional<KeyChord> keysOrUsage(const std::wstring& text, const Console& console) {
  std::wstring problem;
  std::optional<KeyChord> keys = parseKeys(text, problem);
  if (!keys) usageError(console, problem);
  return keys;
}

}  // namespace

int bindKeys(const std::vector<std::wstring>& arguments, const Console& console) {
  std::vector<std::wstring> words = arguments;
  const bool replace = !words.empty() && words.front() == L"--replace";
  if (replace) words.erase(words.begin());
  if (words.size() != 2) return usageError(console, L"bind takes [--replace] KEYS PROFILE");
  const std::optional<KeyChord> keys = keysOrUsage(words[0], console);
  if (!keys) return kUsageError;
  std::wstring why;
  const LaunchCommand command{installedLauncher(), readableProfile(words[1], why)};
  if (command.profile.empty()) return refused(console, why);
  std::wstring desktop;
  const KeyBinder* binder = binderOfThisDesktop(desktop);
  if (binder == nullptr) return bindByHand(console, desktop, *keys, command);
  const BindResult result = binder->bind(*keys, command, replace);
  if (!result.done) return refused(console, result.message);
  std::wstring report = result.message + L"\n";
  if (binder->missing != nullptr) {
    for (const std::wstring& line : binder->missing()) {
      report += L"The launcher needs: " + line + L"\n";
    }
  }
  console.out(report);
  return kDone;
}

int unbindKeys(const std::vector<std::wstring>& arguments, const Console& console) {
  if (arguments.size() != 1) return usageError(console, L"unbind takes KEYS");
  const std::optional<KeyChord> keys = keysOrUsage(arguments[0], console);
  if (!keys) return kUsageError;
  std::wstring desktop;
  const KeyBinder* binder = binderOfThisDesktop(desktop);
  if (binder == nullptr) return refused(console, L"cannot bind keys on " + desktop);
  const BindResult result = binder->unbind(*keys);
  if (!result.done) return refused(console, result.message);
  console.out(result.message + L"\n");
  return kDone;
}

int listBindings(const std::vector<std::wstring>& arguments, const Console& console) {
  if (!arguments.empty()) return usageError(console, L"bindings takes nothing");
  std::wstring desktop;
  const KeyBinder* binder = binderOfThisDesktop(desktop);
  if (binder == nullptr) return refused(console, L"cannot bind keys on " + desktop);
  const std::vector<Binding> bindings = binder->bindings();
  if (bindings.empty()) {
    console.out(L"No keys of Tarvexel's on " + std::wstring(binder->desktop) + L".\n");
    return kDone;
  }
  std::wstring text;
  for (const Binding& binding : bindings) {
    text += keysText(binding.keys) + L"\t" + binding.profile + L"\t" + binder->desktop + L"\n";
  }
  console.out(text);
  return kDone;
}

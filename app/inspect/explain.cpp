#include "app/inspect/explain.h"

#include <cstring>
#include <optional>
#include <vector>

#include "app/inspect/actions.h"
#include "app/inspect/profile_facts.h"
#include "app/inspect/warnings.h"
#include "app/inspect/window_table.h"
#include "launcher/launcher.h"
#include "launcher/vocabulary.h"
#include "platform/services.h"
#include "profile/profile.h"

namespace {

constexpr int kRuns = 0;
constexpr int kNothingRuns = 1;

// What the selection's walk said of one rule, copied out of the walk.
struct RuleSeen {
  std::wstring section;
  std::wstring className;
  std::wstring title;
  std::wstring mode;
  std::optional<std::wstring> titleMatch;
  std::optional<std::wstring> workspace;
  HWND window;
  HWND foreground;
  bool fires;
};

std::optional<std::wstring> copied(const ProfileString* value) {
  return value != nullptr ? std::optional<std::wstring>(*value) : std::nullopt;
}

// Why a value of a key that refines a rule keeps it from firing; empty
// when the values are known.
std::wstring unknownRefinement(const RuleSeen& rule) {
  if (rule.titleMatch && !vocabulary::titleMatchOf(*rule.titleMatch)) {
    return L"titleMatch " + quoted(*rule.titleMatch) + L" never fires (only " +
           listOf(vocabulary::kTitleMatchWords, L"and", true) + L" do)";
  }
  if (rule.workspace && *rule.workspace != vocabulary::kWorkspaceHere) {
    return L"workspace " + quoted(*rule.workspace) + L" never fires (only " +
           quoted(vocabulary::kWorkspaceHere) + L" does)";
  }
  return {};
}

LPCWSTR orAny(const std::wstring& name) { return name.empty() ? nullptr : name.c_str(); }

bool hasNext(const ProfileEntries& entries) {
  for (const ProfileEntry& entry : entries) {
    if (entry.key == vocabulary::kExec &&
        vocabulary::windowWordOf(entry.value) == vocabulary::WindowWord::next) {
      return true;
    }
  }
  return false;
}

std::wstring fromAscii(const char* text) { return std::wstring(text, text + std::strlen(text)); }

std::wstring loadLine(const Profile& profile) {
  if (profile.refusedLine() != 0) {
    return L"Loads: no: line " + std::to_wstring(profile.refusedLine()) + L" is longer than " +
           std::to_wstring(kMaxLineChars - 1) +
           L" characters, and the launcher refuses the whole profile\n";
  }
  if (profile.loadFailed()) {
    return L"Loads: no: it cannot be opened: " + fromAscii(std::strerror(profile.openError())) +
           L"\n";
  }
  std::wstring names;
  for (const ProfileSection& section : profile.sections()) {
    names += (names.empty() ? L": " : L", ") + sectionLabel(section.name);
  }
  const std::size_t count = profile.sections().size();
  return L"Loads: yes, " + std::to_wstring(count) + (count == 1 ? L" section" : L" sections") +
         names + L"\n";
}

// How the launcher reads the file's bytes, once it opens.
std::wstring encodingLine(const Profile& profile) {
  if (profile.openError() != 0) return {};
  const TextEncoding encoding = profile.encoding();
  if (encoding.byteOrderMark) return L"Encoding: UTF-8 (byte-order mark)\n";
  if (encoding.codePage == CP_UTF8) return L"Encoding: UTF-8\n";
  return L"Encoding: ANSI code page " + std::to_wstring(encoding.codePage) + L"\n";
}

// The rule's names as written, with its mode, noting a mode left out.
std::wstring ruleHeading(const RuleSeen& rule, const Profile& asWritten) {
  std::wstring text = L"  " + sectionLabel(rule.section) + L": ";
  if (!rule.className.empty()) text += L"class " + quoted(rule.className) + L", ";
  if (!rule.title.empty()) text += L"title " + quoted(rule.title) + L", ";
  if (rule.titleMatch) text += L"titleMatch " + quoted(*rule.titleMatch) + L", ";
  if (rule.workspace) text += L"workspace " + quoted(*rule.workspace) + L", ";
  text += L"mode " + quoted(rule.mode);
  const ProfileSection* section = sectionNamed(asWritten, rule.section);
  if (section != nullptr && firstValue(section->entries, vocabulary::kMode) == nullptr) {
    text += L" (not given, the default)";
  }
  return text + L"\n";
}

// A window the rule would find were titles compared as loosely as people
// read them; the rule's class, if any, still has to name it.
const WindowDescription* nearlyTitled(const RuleSeen& rule,
                                      const std::vector<WindowDescription>& windows) {
  if (rule.title.empty()) return nullptr;
  const std::wstring title = loosened(rule.title);
  const std::wstring className = loosened(rule.className);
  for (const WindowDescription& window : windows) {
    bool named = className.empty();
    for (const std::wstring& name : window.classes) named = named || loosened(name) == className;
    if (named && window.title != rule.title && loosened(window.title) == title) return &window;
  }
  return nullptr;
}

std::wstring verdict(const RuleSeen& rule, const std::vector<WindowDescription>& windows) {
  const std::wstring unknown = unknownRefinement(rule);
  if (!unknown.empty()) return L"    does not fire: " + unknown + L"\n";
  if (rule.window == nullptr) {
    const WindowDescription* lookalike = nearlyTitled(rule, windows);
    std::wstring text = L"    finds no window: does not fire\n";
    if (lookalike == nullptr) return text;
    return text + L"    " + windowInWords(*lookalike) +
           L" differs only in letter case or blanks at either end of its title: titles are "
           L"matched exactly\n";
  }
  std::wstring text = L"    finds " + windowInWords(rule.window, windows) + L"\n";
  if (rule.fires) return text + L"    fires\n";
  if (vocabulary::modeOf(rule.mode) != vocabulary::Mode::active) {
    return text + L"    does not fire: mode " + quoted(rule.mode) + L" never fires (only " +
           listOf(vocabulary::kModeWords, L"and", true) + L" do)\n";
  }
  if (rule.foreground == nullptr) return text + L"    does not fire: no window is in front\n";
  return text + L"    does not fire: mode \"active\", and another window is in front: " +
         windowInWords(rule.foreground, windows) + L"\n";
}

// The rules after the one that fires, which the launcher never looks at.
std::wstring unreached(const Profile& asWritten, std::size_t seen, const std::wstring& firing) {
  std::wstring text;
  std::size_t rules = 0;
  for (const ProfileSection& section : asWritten.sections()) {
    if (!isWindowRule(section) || rules++ < seen) continue;
    text += L"  " + sectionLabel(section.name) + L": not looked at, " + sectionLabel(firing) +
            L" fires first\n";
  }
  return text;
}

std::wstring rulesPart(const std::vector<RuleSeen>& rules, const Profile& asWritten,
                       const std::vector<WindowDescription>& windows) {
  if (rules.empty()) return L"Window rules: none (no section but [default] has a class or title)\n";
  std::wstring text = L"Window rules, in file order:\n";
  for (const RuleSeen& rule : rules) text += ruleHeading(rule, asWritten) + verdict(rule, windows);
  if (rules.back().fires) text += unreached(asWritten, rules.size(), rules.back().section);
  return text;
}

// The section that runs, each of its entries as written, and the status.
std::wstring runPart(const ProfileSection* section, const RuleWindows& rule,
                     const std::vector<WindowDescription>& windows) {
  const HWND window = rule.window;
  if (section == nullptr) {
    return L"Would run: nothing; no rule fires and there is no [default], so the launcher ends "
           L"with exit status 1\n";
  }
  std::wstring text = L"Would run: " + sectionLabel(section->name);
  text += window != nullptr ? L", against " + windowInWords(window, windows)
                            : std::wstring(L", as no rule fires");
  return text + L"\n" + describeEntries(section->entries, rule, windows) +
         L"Exit status: 0\n";
}

std::wstring warningsPart(const std::vector<std::wstring>& warnings) {
  if (warnings.empty()) return L"Warnings: none\n";
  std::wstring text = L"Warnings:\n";
  for (const std::wstring& warning : warnings) text += L"  " + warning + L"\n";
  return text;
}

// The launcher's own choice, with what it saw of each rule on the way.
struct Choice {
  std::vector<RuleSeen> rules;
  HWND window = nullptr;
  TitleMatch titleMatch = TitleMatch::exact;
  bool bringHere = false;
  bool runs = true;
};

Choice choose(Profile& profile) {
  Choice choice;
  try {
    const Selection selection = selectSection(profile, [&choice](const RuleCheck& check) {
      choice.rules.push_back({std::wstring(check.section.name), std::wstring(check.className),
                              std::wstring(check.title), std::wstring(check.mode),
                              copied(check.titleMatch), copied(check.workspace), check.window,
                              check.foreground, check.fires});
    });
    choice.window = selection.window;
    choice.titleMatch = selection.titleMatch;
    choice.bringHere = selection.bringHere;
  } catch (const ProfileLookupError&) {
    choice.runs = false;
  }
  return choice;
}

}  // namespace

Explanation explainProfile(const std::wstring& path) {
  Profile profile(path);
  std::wstring report = L"Profile: " + path + L"\n" + encodingLine(profile) + loadLine(profile);
  if (profile.loadFailed()) {
    return {report + L"Would run: nothing; the launcher ends with exit status 1\n", kNothingRuns};
  }
  // The selection records defaults in the profile it walks; the report
  // speaks of the profile as written, read a second time.
  const Profile asWritten(path);
  report += L"Window system: " + DescribeWindowSystem() + L"\n\n";
  const Choice choice = choose(profile);
  const std::vector<WindowDescription> windows = ListTopLevelWindows();
  const bool ruleFires = !choice.rules.empty() && choice.rules.back().fires;
  const ProfileSection* chosen =
      !choice.runs ? nullptr
      : ruleFires  ? sectionNamed(asWritten, choice.rules.back().section)
                   : sectionNamed(asWritten, vocabulary::kDefaultSection);
  RuleWindows rule{choice.window, nullptr, choice.bringHere};
  if (ruleFires && hasNext(chosen->entries)) {
    const RuleSeen& fired = choice.rules.back();
    rule.next =
        FindLeastRecentWindow(orAny(fired.className), orAny(fired.title), choice.titleMatch);
  }
  std::vector<std::wstring> warnings = profileWarnings(asWritten);
  if (const auto encoding = encodingWarning(path)) warnings.insert(warnings.begin(), *encoding);
  report += rulesPart(choice.rules, asWritten, windows) + L"\n" + runPart(chosen, rule, windows) +
            L"\n" + warningsPart(warnings);
  return {report, choice.runs ? kRuns : kNothingRuns};
}

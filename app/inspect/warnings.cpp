#include "app/inspect/warnings.h"

#include <string_view>
#include <tuple>

#include "app/inspect/profile_facts.h"
#include "launcher/launcher.h"
#include "launcher/vocabulary.h"
#include "platform/services.h"

namespace {

using vocabulary::Mode;
using Warnings = std::vector<std::wstring>;

// The known word that `text` differs from only in case or surrounding
// blanks; empty when there is none.
std::wstring_view nearMiss(std::wstring_view text, std::wstring_view word) {
  return text != word && loosened(text) == loosened(word) ? word : std::wstring_view();
}

template <std::size_t N>
std::wstring_view nearMiss(std::wstring_view text, const std::wstring_view (&words)[N]) {
  for (const std::wstring_view word : words) {
    if (!nearMiss(text, word).empty()) return word;
  }
  return {};
}

std::wstring_view nearMissKey(std::wstring_view key) {
  const std::wstring_view rule = nearMiss(key, vocabulary::kRuleKeys);
  return rule.empty() ? nearMiss(key, vocabulary::kCommandKeys) : rule;
}

// True when the name looks meant as "default".
bool checkName(const ProfileSection& section, Warnings& out) {
  if (nearMiss(section.name, vocabulary::kDefaultSection).empty()) return false;
  out.push_back(sectionLabel(section.name) + L" is not [default]: section names are exact, so it "
                L"never runs as the fallback");
  return true;
}

void checkKeys(const ProfileSection& section, Warnings& out) {
  for (const ProfileEntry& entry : section.entries) {
    const std::wstring_view meant = nearMissKey(entry.key);
    if (!meant.empty()) {
      out.push_back(sectionLabel(section.name) + L" key " + quoted(entry.key) + L" is not " +
                    quoted(meant) + L": keys are exact (capitals and blanks count), so this "
                    L"entry does nothing");
    }
  }
}

void checkDefault(const ProfileSection& section, Warnings& out) {
  for (const std::wstring_view key : {vocabulary::kClass, vocabulary::kTitle}) {
    if (firstValue(section.entries, key) != nullptr) {
      out.push_back(L"[default] has a " + std::wstring(key) +
                    L": [default] is never a window rule, so it does nothing there");
    }
  }
}

// "exec" words in "default", and "execSync" ones everywhere, start programs.
void checkWindowWords(const ProfileSection& section, bool rule, Warnings& out) {
  for (const ProfileEntry& entry : section.entries) {
    const bool startsProgram =
        (entry.key == vocabulary::kExec && !rule) || entry.key == vocabulary::kExecSync;
    if (!startsProgram || !isOneOf(entry.value, vocabulary::kWindowWords)) continue;
    const std::wstring value(entry.value);
    out.push_back(sectionLabel(section.name) + L" " + std::wstring(entry.key) + L"=" + value +
                  L" starts a program named " + quoted(value) + L": the word acts on a "
                  L"window only as " + std::wstring(vocabulary::kExec) + L"=" + value +
                  L" in a window rule");
  }
}

bool hasCommand(const ProfileSection& section) {
  for (const std::wstring_view key : vocabulary::kCommandKeys) {
    if (firstValue(section.entries, key) != nullptr) return true;
  }
  return false;
}

void checkRule(const ProfileSection& section, Warnings& out) {
  const std::wstring_view mode =
      valueOr(section.entries, vocabulary::kMode, vocabulary::kDefaultMode);
  if (vocabulary::modeOf(mode) == Mode::never) {
    out.push_back(sectionLabel(section.name) + L" mode " + quoted(mode) + L" never fires: only " +
                  listOf(vocabulary::kModeWords, L"and", true) + L" do");
  }
  const ProfileString* titleMatch = firstValue(section.entries, vocabulary::kTitleMatch);
  if (titleMatch != nullptr && valueOr(section.entries, vocabulary::kTitle, {}).empty()) {
    out.push_back(sectionLabel(section.name) + L" titleMatch is passed over: the rule has no "
                  L"title to compare");
  } else if (titleMatch != nullptr && !vocabulary::titleMatchOf(*titleMatch)) {
    out.push_back(sectionLabel(section.name) + L" titleMatch " + quoted(*titleMatch) +
                  L" never fires: only " + listOf(vocabulary::kTitleMatchWords, L"and", true) +
                  L" do");
  }
  const ProfileString* workspace = firstValue(section.entries, vocabulary::kWorkspace);
  if (workspace != nullptr && *workspace != vocabulary::kWorkspaceHere) {
    out.push_back(sectionLabel(section.name) + L" workspace " + quoted(*workspace) +
                  L" never fires: only " + quoted(vocabulary::kWorkspaceHere) + L" does");
  }
  if (!hasCommand(section)) {
    out.push_back(sectionLabel(section.name) + L" has no " +
                  listOf(vocabulary::kCommandKeys, L"or") + L": when it fires it does nothing, " +
                  L"and " + sectionLabel(vocabulary::kDefaultSection) + L" does not run either");
  }
}

// A later rule with the same class and title fires only when the earlier
// one does not; with the same mode, or after one in "exec" mode, never.
void checkShadowed(const ProfileSections& sections, const ProfileSection& section, Warnings& out) {
  // What a rule looks for; rules that differ in how they compare the title
  // or where they bring the window are not the same rule.
  const auto keysOf = [](const ProfileSection& rule) {
    const ProfileEntries& keys = rule.entries;
    return std::make_tuple(valueOr(keys, vocabulary::kClass, {}),
                           valueOr(keys, vocabulary::kTitle, {}),
                           valueOr(keys, vocabulary::kTitleMatch, vocabulary::kDefaultTitleMatch),
                           valueOr(keys, vocabulary::kWorkspace, {}));
  };
  const auto modeOf = [](const ProfileSection& rule) {
    return valueOr(rule.entries, vocabulary::kMode, vocabulary::kDefaultMode);
  };
  for (const ProfileSection& earlier : sections) {
    if (&earlier == &section) return;
    if (!isWindowRule(earlier) || keysOf(earlier) != keysOf(section)) continue;
    if (modeOf(earlier) == modeOf(section) ||
        vocabulary::modeOf(modeOf(earlier)) == Mode::exec) {
      out.push_back(sectionLabel(section.name) + L" never fires: " + sectionLabel(earlier.name) +
                    L" before it looks for the same window and fires whenever it would");
      return;
    }
  }
}

// A program that cannot be started is as silent in a section that does
// not run today as in the one that does: every section is checked.
void checkLaunches(const ProfileSection& section, bool rule, Warnings& out) {
  for (const ProfileEntry& entry : section.entries) {
    if (entry.key != vocabulary::kExec && entry.key != vocabulary::kExecSync) continue;
    if (entry.key == vocabulary::kExec && rule && isOneOf(entry.value, vocabulary::kWindowWords)) {
      continue;
    }
    const CommandParts parts = splitCommand(std::wstring(entry.value));
    if (parts.file.empty()) continue;
    const OpenPlan plan = PlanOpen(parts.file, parts.parameters);
    if (plan.outcome != OpenPlan::Outcome::fails) continue;
    out.push_back(sectionLabel(section.name) + L" " + std::wstring(entry.key) + L"=" +
                  std::wstring(entry.value) + L" starts nothing: " + plan.reason);
  }
}

void checkOrdinary(const ProfileSection& section, Warnings& out) {
  if (hasCommand(section)) {
    out.push_back(sectionLabel(section.name) + L" has neither class nor title, so it is no window "
                  L"rule and never runs");
  }
}

}  // namespace

std::vector<std::wstring> profileWarnings(const Profile& profile) {
  Warnings out;
  for (const ProfileSection& section : profile.sections()) {
    const bool rule = isWindowRule(section);
    const bool meantAsDefault = checkName(section, out);
    checkKeys(section, out);
    if (section.name == vocabulary::kDefaultSection) {
      checkDefault(section, out);
    } else if (rule) {
      checkRule(section, out);
      checkShadowed(profile.sections(), section, out);
    } else if (!meantAsDefault) {
      checkOrdinary(section, out);
    }
    if (rule || section.name == vocabulary::kDefaultSection) {
      checkWindowWords(section, rule, out);
    }
    checkLaunches(section, rule, out);
  }
  return out;
}

std::optional<std::wstring> encodingWarning(const std::wstring& path) {
  WideTextFile file(path);
  wchar_t text[4096];
  const std::size_t count = file.isOpen() ? file.read(text, 4096) : 0;
  const std::wstring_view start(text, count);
  // A UTF-16 byte-order mark reads as two malformed bytes where profiles
  // are UTF-8, and as "ÿþ" or "þÿ" in the Windows ANSI code page.
  const bool mark = start.rfind(L"\uFFFD\uFFFD", 0) == 0 || start.rfind(L"\u00FF\u00FE", 0) == 0 ||
                    start.rfind(L"\u00FE\u00FF", 0) == 0;
  const bool nul = start.find(L'\0') != std::wstring_view::npos;
  if (!mark && !nul) return std::nullopt;
  return std::wstring(L"the file looks like UTF-16 (") +
         (mark ? L"it starts with a byte-order mark" : L"it holds NUL bytes") +
         L"), which the launcher cannot read: names and keys do not match and it does nothing. "
         L"Save it as UTF-8 (Notepad's \"UTF-8\" or \"UTF-8 with BOM\"; on Windows its \"ANSI\" "
         L"serves too)";
}

#include "app/inspect/warnings.h"

#include <string_view>

#include "app/inspect/profile_facts.h"
#include "launcher/launcher.h"
#include "platform/services.h"

namespace {

using Warnings = std::vector<std::wstring>;

const wchar_t* const kKeys[] = {L"class", L"title", L"mode", L"exec", L"execSync", L"sleep"};
// In a rule these act on its window; anywhere else they name programs.
const wchar_t* const kWindowWords[] = {L"close", L"active", L"next", L"minimize"};

// The known word that `text` differs from only in case or surrounding
// blanks, or null.
template <std::size_t N>
const wchar_t* nearMiss(std::wstring_view text, const wchar_t* const (&words)[N]) {
  for (const wchar_t* word : words) {
    if (text != word && loosened(text) == loosened(word)) return word;
  }
  return nullptr;
}

template <std::size_t N>
bool isOneOf(std::wstring_view text, const wchar_t* const (&words)[N]) {
  for (const wchar_t* word : words) {
    if (text == word) return true;
  }
  return false;
}

std::wstring valueOr(const ProfileEntries& entries, const wchar_t* key, const wchar_t* fallback) {
  const ProfileString* value = firstValue(entries, key);
  return value != nullptr ? std::wstring(*value) : fallback;
}

// True when the name looks meant as "default".
bool checkName(const ProfileSection& section, Warnings& out) {
  static const wchar_t* const kDefault[] = {L"default"};
  if (nearMiss(section.name, kDefault) == nullptr) return false;
  out.push_back(sectionLabel(section.name) + L" is not [default]: section names are exact, so it "
                L"never runs as the fallback");
  return true;
}

void checkKeys(const ProfileSection& section, Warnings& out) {
  for (const ProfileEntry& entry : section.entries) {
    if (const wchar_t* meant = nearMiss(entry.key, kKeys)) {
      out.push_back(sectionLabel(section.name) + L" key " + quoted(entry.key) + L" is not " +
                    quoted(meant) + L": keys are exact (capitals and blanks count), so this "
                    L"entry does nothing");
    }
  }
}

void checkDefault(const ProfileSection& section, Warnings& out) {
  for (const wchar_t* key : {L"class", L"title"}) {
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
        (entry.key == L"exec" && !rule) || entry.key == L"execSync";
    if (!startsProgram || !isOneOf(entry.value, kWindowWords)) continue;
    const std::wstring value(entry.value);
    out.push_back(sectionLabel(section.name) + L" " + std::wstring(entry.key) + L"=" + value +
                  L" starts a program named " + quoted(value) + L": the word acts on a "
                  L"window only as exec=" + value + L" in a window rule");
  }
}

bool hasCommand(const ProfileSection& section) {
  for (const wchar_t* key : {L"exec", L"execSync", L"sleep"}) {
    if (firstValue(section.entries, key) != nullptr) return true;
  }
  return false;
}

void checkRule(const ProfileSection& section, Warnings& out) {
  const std::wstring mode = valueOr(section.entries, L"mode", L"exec");
  if (mode != L"exec" && mode != L"active") {
    out.push_back(sectionLabel(section.name) + L" mode " + quoted(mode) +
                  L" never fires: only \"exec\" and \"active\" do");
  }
  if (!hasCommand(section)) {
    out.push_back(sectionLabel(section.name) + L" has no exec, execSync or sleep: when it fires "
                  L"it does nothing, and [default] does not run either");
  }
}

// A later rule with the same class and title fires only when the earlier
// one does not; with the same mode, or after one in "exec" mode, never.
void checkShadowed(const ProfileSections& sections, const ProfileSection& section, Warnings& out) {
  const std::wstring className = valueOr(section.entries, L"class", L"");
  const std::wstring title = valueOr(section.entries, L"title", L"");
  const std::wstring mode = valueOr(section.entries, L"mode", L"exec");
  for (const ProfileSection& earlier : sections) {
    if (&earlier == &section) return;
    if (!isWindowRule(earlier) || valueOr(earlier.entries, L"class", L"") != className ||
        valueOr(earlier.entries, L"title", L"") != title) {
      continue;
    }
    const std::wstring earlierMode = valueOr(earlier.entries, L"mode", L"exec");
    if (earlierMode == mode || earlierMode == L"exec") {
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
    if (entry.key != L"exec" && entry.key != L"execSync") continue;
    if (entry.key == L"exec" && rule && isOneOf(entry.value, kWindowWords)) continue;
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
    if (section.name == L"default") {
      checkDefault(section, out);
    } else if (rule) {
      checkRule(section, out);
      checkShadowed(profile.sections(), section, out);
    } else if (!meantAsDefault) {
      checkOrdinary(section, out);
    }
    if (rule || section.name == L"default") checkWindowWords(section, rule, out);
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

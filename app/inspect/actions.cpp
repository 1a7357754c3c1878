#include "app/inspect/actions.h"

#include "app/inspect/profile_facts.h"
#include "app/inspect/window_table.h"
#include "launcher/launcher.h"
#include "launcher/vocabulary.h"

namespace {

using vocabulary::WindowWord;

std::wstring wordList(const std::vector<std::wstring>& words) {
  std::wstring text;
  for (const std::wstring& word : words) text += L" " + quoted(word);
  return text;
}

std::wstring startsProgram(const std::wstring& file, const OpenPlan& plan) {
  std::wstring text = L"starts " + plan.program;
  if (plan.program != file) text += L" (" + quoted(file) + L", found on PATH)";
  if (plan.arguments.size() > 1) {
    text += L" with the arguments" +
            wordList(std::vector<std::wstring>(plan.arguments.begin() + 1, plan.arguments.end()));
  }
  return text;
}

std::wstring handsToOpener(const CommandParts& parts, const OpenPlan& plan) {
  std::wstring text = L"hands " + quoted(parts.file) + L" to xdg-open (" + plan.program +
                      L"), which opens it with the desktop's program for it";
  if (!parts.parameters.empty()) {
    text += L"; the parameters " + quoted(parts.parameters) + L" are not used";
  }
  return text;
}

std::wstring shellOpens(const CommandParts& parts) {
  return L"the shell opens " + quoted(parts.file) +
         (parts.parameters.empty() ? L" with no parameters"
                                   : L" with the parameters " + quoted(parts.parameters));
}

std::wstring waitFor(OpenPlan::Outcome outcome) {
  switch (outcome) {
    case OpenPlan::Outcome::handsToOpener:
      return L", and waits until xdg-open ends (not the program it starts)";
    case OpenPlan::Outcome::fails:
      return L", and goes on without waiting";
    default:
      return L", and waits until it ends";
  }
}

// Where "active" and "next" bring a window: to the front where it is, or
// with "workspace=here" to the user's workspace first, where the desktop
// can move it there.
std::wstring whereTo(bool bringHere) {
  if (!bringHere) return {};
  const std::wstring why = WhyWindowsStayOnTheirWorkspace();
  return why.empty() ? L", moving it to your workspace first" : L" (workspace=here: " + why + L")";
}

// The window words act on the rule's window, and only there; empty for any
// other value.
std::wstring windowAction(const std::wstring& value, const std::wstring& window,
                         const std::wstring& next, bool bringHere) {
  switch (vocabulary::windowWordOf(value)) {
    case WindowWord::close:
      return L"asks " + window + L" to close (its program may decline)";
    case WindowWord::active:
      return L"brings " + window + L" to the front" + whereTo(bringHere);
    case WindowWord::next:
      return L"brings forward " + next + L": of the windows the rule matches, the one you have "
             L"gone longest without" + whereTo(bringHere);
    case WindowWord::minimize:
      return L"minimises " + window;
    case WindowWord::none:
      break;
  }
  return {};
}

std::wstring describeSleep(const std::wstring& value) {
  const std::wstring milliseconds = std::to_wstring(sleepMilliseconds(value));
  std::wstring text = L"pauses " + milliseconds + L" ms";
  if (milliseconds != value) text += L" (" + quoted(value) + L" read as a number of milliseconds)";
  return text;
}

std::wstring describeOther(const std::wstring& key) {
  if (isOneOf(key, vocabulary::kRuleKeys)) {
    return L"does nothing when the section runs: it belongs to the rule";
  }
  return L"does nothing: only " + listOf(vocabulary::kCommandKeys, L"and") + L" are commands";
}

std::wstring describeEntry(const ProfileEntry& entry, const RuleWindows& rule,
                           const std::vector<WindowDescription>& windows) {
  const std::wstring value(entry.value);
  if (entry.key == vocabulary::kExec) {
    const std::wstring action =
        rule.window != nullptr ? windowAction(value, windowInWords(rule.window, windows),
                                              windowInWords(rule.next, windows), rule.bringHere)
                               : L"";
    return action.empty() ? describeLaunch(value, false) : action;
  }
  if (entry.key == vocabulary::kExecSync) return describeLaunch(value, true);
  if (entry.key == vocabulary::kSleep) return describeSleep(value);
  return describeOther(std::wstring(entry.key));
}

}  // namespace

std::wstring describeLaunch(const std::wstring& value, bool waits) {
  const CommandParts parts = splitCommand(value);
  if (parts.file.empty()) return L"starts nothing: there is no file before the first \"|\"";
  const OpenPlan plan = PlanOpen(parts.file, parts.parameters);
  std::wstring text;
  switch (plan.outcome) {
    case OpenPlan::Outcome::startsProgram: text = startsProgram(parts.file, plan); break;
    case OpenPlan::Outcome::handsToOpener: text = handsToOpener(parts, plan); break;
    case OpenPlan::Outcome::shellDecides: text = shellOpens(parts); break;
    case OpenPlan::Outcome::fails: text = L"starts nothing: " + plan.reason; break;
  }
  return waits ? text + waitFor(plan.outcome) : text;
}

std::wstring describeEntries(const ProfileEntries& entries, const RuleWindows& rule,
                             const std::vector<WindowDescription>& windows) {
  std::wstring text;
  for (const ProfileEntry& entry : entries) {
    text += L"  " + std::wstring(entry.key) + L"=" + std::wstring(entry.value) + L": " +
            describeEntry(entry, rule, windows) + L"\n";
  }
  return text;
}

// The profile's vocabulary and what the launcher makes of it: the keys, the
// section that is never a rule, the modes, and the words "exec" takes in a
// rule. The launcher reads profiles through these alone, and so does the
// companion program, so that what it tells a user is what the launcher does.
#ifndef TARVEXEL_LAUNCHER_VOCABULARY_H
#define TARVEXEL_LAUNCHER_VOCABULARY_H

#include <cstddef>
#include <iterator>
#include <optional>
#include <string_view>

#include "platform/services.h"

namespace vocabulary {

// The fallback section, never a rule.
inline constexpr std::wstring_view kDefaultSection = L"default";

// A rule's keys.
inline constexpr std::wstring_view kClass = L"class";
inline constexpr std::wstring_view kTitle = L"title";
inline constexpr std::wstring_view kMode = L"mode";
inline constexpr std::wstring_view kTitleMatch = L"titleMatch";
inline constexpr std::wstring_view kWorkspace = L"workspace";
// The commands.
inline constexpr std::wstring_view kExec = L"exec";
inline constexpr std::wstring_view kExecSync = L"execSync";
inline constexpr std::wstring_view kSleep = L"sleep";

inline constexpr std::wstring_view kRuleKeys[] = {kClass, kTitle, kMode, kTitleMatch, kWorkspace};
inline constexpr std::wstring_view kCommandKeys[] = {kExec, kExecSync, kSleep};

// When a rule fires: whenever its window exists, only while that window is
// in front, or (for any other value of "mode") never.
enum class Mode { exec, active, never };
inline constexpr std::wstring_view kModeExec = L"exec";
inline constexpr std::wstring_view kModeActive = L"active";
inline constexpr std::wstring_view kModeWords[] = {kModeExec, kModeActive};
// What a rule without "mode" has.
inline constexpr std::wstring_view kDefaultMode = kModeExec;

constexpr Mode modeOf(std::wstring_view value) {
  if (value == kModeExec) return Mode::exec;
  if (value == kModeActive) return Mode::active;
  return Mode::never;
}

// How "title" is compared: the whole title (what a rule without
// "titleMatch" does), or its start, its end or any part of it. Any other
// value makes the rule never fire; an older Tarvexel, which knows only
// whole titles, matches fewer windows, never others.
inline constexpr std::wstring_view kDefaultTitleMatch = L"exact";
inline constexpr std::wstring_view kTitleMatchWords[] = {kDefaultTitleMatch, L"prefix", L"suffix",
                                                         L"contains"};

constexpr std::optional<TitleMatch> titleMatchOf(std::wstring_view value) {
  constexpr TitleMatch matches[] = {TitleMatch::exact, TitleMatch::prefix, TitleMatch::suffix,
                                    TitleMatch::contains};
  for (std::size_t i = 0; i < std::size(matches); ++i) {
    if (value == kTitleMatchWords[i]) return matches[i];
  }
  return std::nullopt;
}

// Where "active" and "next" bring the window: the user goes to its
// workspace (what a rule without "workspace" does), or with "here" it comes
// to theirs. Any other value makes the rule never fire; an older Tarvexel
// goes to the window instead.
inline constexpr std::wstring_view kWorkspaceHere = L"here";

// What "exec" does to a rule's window; `none` for a value that names a
// program, as every value does outside a rule.
enum class WindowWord { none, close, active, next, minimize };
inline constexpr std::wstring_view kWindowWords[] = {L"close", L"active", L"next", L"minimize"};

constexpr WindowWord windowWordOf(std::wstring_view value) {
  constexpr WindowWord words[] = {WindowWord::close, WindowWord::active, WindowWord::next,
                                  WindowWord::minimize};
  for (std::size_t i = 0; i < std::size(words); ++i) {
    if (value == kWindowWords[i]) return words[i];
  }
  return WindowWord::none;
}

// Whether a section is a window rule: any but the fallback that names a
// class or a title.
constexpr bool isWindowRule(std::wstring_view section, std::wstring_view className,
                            std::wstring_view title) {
  return section != kDefaultSection && (!className.empty() || !title.empty());
}

}  // namespace vocabulary

#endif

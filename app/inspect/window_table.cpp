#include "app/inspect/window_table.h"

#include <algorithm>

#include "app/inspect/profile_facts.h"

namespace {

std::wstring classList(const WindowDescription& window) {
  std::wstring text;
  for (const std::wstring& name : window.classes) {
    text += (text.empty() ? L"" : L" ") + quoted(name);
  }
  return text.empty() ? L"(none)" : text;
}

std::wstring padded(std::wstring text, std::size_t width) {
  text.resize(std::max(text.size(), width), L' ');
  return text;
}

std::wstring escaped(const std::wstring& text) {
  std::wstring result;
  for (const wchar_t c : text) {
    switch (c) {
      case L'\t': result += L"\\t"; break;
      case L'\n': result += L"\\n"; break;
      case L'\r': result += L"\\r"; break;
      case L'\\': result += L"\\\\"; break;
      default: result += c;
    }
  }
  return result;
}

// The desktop's own id for a window, where it gives one that lasts from
// run to run; a list position would look like one and mean nothing.
bool anyIds(const std::vector<WindowDescription>& windows) {
  return std::any_of(windows.begin(), windows.end(),
                     [](const WindowDescription& window) { return !window.id.empty(); });
}

std::wstring titleText(const WindowDescription& window) {
  return quoted(window.title) + (window.minimized ? L" (minimised)" : L"");
}

}  // namespace

std::wstring windowTable(const std::vector<WindowDescription>& windows) {
  const bool ids = anyIds(windows);
  std::size_t idWidth = 6;
  std::size_t classWidth = 5;
  for (const WindowDescription& window : windows) {
    idWidth = std::max(idWidth, window.id.size());
    classWidth = std::max(classWidth, classList(window).size());
  }
  const auto idColumn = [&](const std::wstring& text) {
    return ids ? padded(text, idWidth) + L"  " : std::wstring();
  };
  std::wstring text =
      L"  " + idColumn(L"WINDOW") + padded(L"CLASS", classWidth) + L"  TITLE\n";
  for (const WindowDescription& window : windows) {
    text += std::wstring(window.front ? L"* " : L"  ") + idColumn(window.id) +
            padded(classList(window), classWidth) + L"  " + titleText(window) + L"\n";
  }
  return text;
}

std::wstring windowValues(const std::vector<WindowDescription>& windows) {
  std::wstring text;
  for (const WindowDescription& window : windows) {
    text += std::wstring(window.front ? L"1" : L"0") + L"\t" + handleText(window.handle) + L"\t" +
            escaped(window.title);
    for (const std::wstring& name : window.classes) text += L"\t" + escaped(name);
    text += L"\n";
  }
  return text;
}

std::wstring windowInWords(const WindowDescription& window) {
  return (window.id.empty() ? L"the window" : window.id) + L" (class " + classList(window) +
         L", title " + titleText(window) + L")";
}

std::wstring windowInWords(HWND handle, const std::vector<WindowDescription>& windows) {
  for (const WindowDescription& window : windows) {
    if (window.handle == handle) return windowInWords(window);
  }
  return handleText(handle);
}

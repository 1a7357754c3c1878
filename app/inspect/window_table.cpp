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

}  // namespace

std::wstring windowTable(const std::vector<WindowDescription>& windows) {
  std::size_t handleWidth = 6;
  std::size_t classWidth = 5;
  for (const WindowDescription& window : windows) {
    handleWidth = std::max(handleWidth, handleText(window.handle).size());
    classWidth = std::max(classWidth, classList(window).size());
  }
  std::wstring text =
      L"  " + padded(L"WINDOW", handleWidth) + L"  " + padded(L"CLASS", classWidth) + L"  TITLE\n";
  for (const WindowDescription& window : windows) {
    text += std::wstring(window.front ? L"* " : L"  ") +
            padded(handleText(window.handle), handleWidth) + L"  " +
            padded(classList(window), classWidth) + L"  " + window.title + L"\n";
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
  return handleText(window.handle) + L" (class " + classList(window) + L", title " +
         quoted(window.title) + L")";
}

std::wstring windowInWords(HWND handle, const std::vector<WindowDescription>& windows) {
  for (const WindowDescription& window : windows) {
    if (window.handle == handle) return windowInWords(window);
  }
  return handleText(handle);
}

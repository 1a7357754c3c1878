#include "platform/window_list.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {

bool matches(const WindowDescription& window, LPCWSTR className, LPCWSTR title) {
  const auto& classes = window.classes;
  return (className == nullptr ||
          std::find(classes.begin(), classes.end(), std::wstring(className)) != classes.end()) &&
         (title == nullptr || window.title == title);
}

HWND handleAt(std::size_t index) { return reinterpret_cast<HWND>(index + 1); }

}  // namespace

WindowList::WindowList(std::vector<WindowDescription> windows) : windows_(std::move(windows)) {
  for (std::size_t i = 0; i < windows_.size(); ++i) windows_[i].handle = handleAt(i);
}

HWND WindowList::find(LPCWSTR className, LPCWSTR title) const {
  for (const WindowDescription& window : windows_) {
    if (matches(window, className, title)) return window.handle;
  }
  return nullptr;
}

std::vector<HWND> WindowList::findAll(LPCWSTR className, LPCWSTR title) const {
  std::vector<HWND> found;
  for (const WindowDescription& window : windows_) {
    if (matches(window, className, title)) found.push_back(window.handle);
  }
  return found;
}

HWND WindowList::front() const {
  for (const WindowDescription& window : windows_) {
    if (window.front) return window.handle;
  }
  return nullptr;
}

const WindowDescription* WindowList::at(HWND handle) const {
  const std::size_t index = indexOf(handle);
  return handle != nullptr && index < windows_.size() ? &windows_[index] : nullptr;
}

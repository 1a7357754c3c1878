#include "platform/wayland/toplevels.h"

#include <cstdlib>
#include <utility>

#include "platform/posix/utf8.h"

namespace wayland {
namespace {

WindowDescription descriptionOf(const Toplevel& toplevel, bool front) {
  WindowDescription window;
  for (const std::string* name : {&toplevel.appId, &toplevel.resourceName}) {
    const std::wstring wide = utf8::widenLossless(*name);
    if (!wide.empty() && (window.classes.empty() || window.classes.front() != wide))
      window.classes.push_back(wide);
  }
  window.title = utf8::widenLossless(toplevel.title);
  window.front = front;
  window.minimized = toplevel.minimized;
  window.id = utf8::widenLossless(toplevel.id);
  return window;
}

}  // namespace

Toplevels::Toplevels(const std::vector<Toplevel>& listed) {
  std::vector<WindowDescription> windows;
  std::size_t front = listed.size();
  for (std::size_t i = 0; i < listed.size() && front == listed.size(); ++i) {
    if (listed[i].activated) front = i;
  }
  const auto add = [&](std::size_t i) {
    windows.push_back(descriptionOf(listed[i], i == front));
    objects_.push_back(listed[i].object);
    listedAt_.push_back(i);
  };
  if (front < listed.size()) add(front);
  for (std::size_t i = 0; i < listed.size(); ++i) {
    if (i != front) add(i);
  }
  windows_ = WindowList(std::move(windows));
}

wl_proxy* Toplevels::objectOf(HWND handle) const {
  return windows_.at(handle) != nullptr ? objects_[windows_.indexOf(handle)] : nullptr;
}

HWND Toplevels::findLeastRecent(LPCWSTR className, LPCWSTR title,
                                TitleMatch titleMatch) const {
  const std::size_t count = listedAt_.size();
  const HWND front = windows_.front();
  // Without an activated window, the search starts at the top of the list.
  const std::size_t start = front != nullptr ? listedAt_[windows_.indexOf(front)] + 1 : 0;
  HWND chosen = nullptr;
  std::size_t nearest = count;
  for (const HWND handle : windows_.findAll(className, title, titleMatch)) {
    const std::size_t distance = (listedAt_[windows_.indexOf(handle)] + count - start) % count;
    if (distance < nearest) {
      nearest = distance;
      chosen = handle;
    }
  }
  return chosen;
}

std::wstring describe(const wchar_t* protocol) {
  const char* display = std::getenv("WAYLAND_DISPLAY");
  return std::wstring(L"Wayland, ") + protocol + L", on " +
         utf8::widenLossless(display != nullptr ? display : "");
}

}  // namespace wayland

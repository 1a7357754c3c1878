// A message box on an X11 desktop: the text, an OK button, a caption.
#ifndef TARVEXEL_PLATFORM_X11_DIALOG_H
#define TARVEXEL_PLATFORM_X11_DIALOG_H

#include <string>

namespace x11 {

// Shows the box and returns once it is dismissed: OK clicked, Enter or
// Escape pressed, or the window manager closing it. Returns at once when
// there is no desktop to show it on, or no way to draw text.
void showDialog(const std::wstring& text, const std::wstring& caption);

}  // namespace x11

#endif

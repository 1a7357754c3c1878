#include "platform/x11/dialog.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/posix/utf8.h"
#include "platform/x11/deadline.h"
#include "platform/x11/display.h"
#include "platform/x11/xft.h"

namespace x11 {
namespace {

// Fontconfig picks a face that covers Japanese, whichever one is installed;
// the size is in points, so it follows the desktop's resolution.
constexpr char kFont[] = "sans-serif:lang=ja:size=11";

constexpr XRenderColor kBackground{0xf0f0, 0xf0f0, 0xf0f0, 0xffff};
constexpr XRenderColor kInk{0x0000, 0x0000, 0x0000, 0xffff};
constexpr XRenderColor kButtonEdge{0x7a7a, 0x7a7a, 0x7a7a, 0xffff};
constexpr XRenderColor kButtonFace{0xe1e1, 0xe1e1, 0xe1e1, 0xffff};

constexpr char kButtonLabel[] = "OK";

std::vector<std::string> linesOf(const std::wstring& text) {
  std::vector<std::string> lines;
  const std::string bytes = utf8::narrow(text);
  std::size_t begin = 0;
  while (true) {
    const std::size_t end = bytes.find('\n', begin);
    lines.push_back(bytes.substr(begin, end == std::string::npos ? end : end - begin));
    if (end == std::string::npos) return lines;
    begin = end + 1;
  }
}

struct Box {
  int x, y, width, height;
  bool holds(int px, int py) const {
    return px >= x && px < x + width && py >= y && py < y + height;
  }
};

class Dialog {
 public:
  Dialog(const Desktop& desktop, const Xft& xft, XftFont* font, const std::wstring& text,
         const std::wstring& caption);
  ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  void waitUntilDismissed();

 private:
  int advance(const std::string& text) const;
  void layOut();
  void createWindow(const std::wstring& caption);
  void setText(Atom property, Atom type, const std::string& value);
  void draw();
  void drawText(const std::string& text, int x, int baseline);
  bool dismisses(const XEvent& event) const;

  const Desktop& desktop_;
  const Xft& xft_;
  XftFont* const font_;  // ours: closed with the dialog
  const std::vector<std::string> lines_;
  Visual* const visual_;
  const Colormap colormap_;
  XftColor background_, ink_, buttonEdge_, buttonFace_;
  int width_ = 0, height_ = 0;
  Box button_{};
  Window window_ = None;
  XftDraw* draw_ = nullptr;
};

Dialog::Dialog(const Desktop& desktop, const Xft& xft, XftFont* font, const std::wstring& text,
               const std::wstring& caption)
    : desktop_(desktop),
      xft_(xft),
      font_(font),
      lines_(linesOf(text)),
      visual_(DefaultVisual(desktop.display, DefaultScreen(desktop.display))),
      colormap_(DefaultColormap(desktop.display, DefaultScreen(desktop.display))) {
  xft_.colorAllocValue(desktop_.display, visual_, colormap_, &kBackground, &background_);
  xft_.colorAllocValue(desktop_.display, visual_, colormap_, &kInk, &ink_);
  xft_.colorAllocValue(desktop_.display, visual_, colormap_, &kButtonEdge, &buttonEdge_);
  xft_.colorAllocValue(desktop_.display, visual_, colormap_, &kButtonFace, &buttonFace_);
  layOut();
  createWindow(caption);
  draw_ = xft_.drawCreate(desktop_.display, window_, visual_, colormap_);
}

Dialog::~Dialog() {
  xft_.drawDestroy(draw_);
  desktop_.x.destroyWindow(desktop_.display, window_);
  for (XftColor* color : {&buttonFace_, &buttonEdge_, &ink_, &background_}) {
    xft_.colorFree(desktop_.display, visual_, colormap_, color);
  }
  xft_.fontClose(desktop_.display, font_);
  desktop_.x.flush(desktop_.display);
}

int Dialog::advance(const std::string& text) const {
  XGlyphInfo extents;
  xft_.textExtentsUtf8(desktop_.display, font_, reinterpret_cast<const FcChar8*>(text.data()),
                       static_cast<int>(text.size()), &extents);
  return extents.xOff;
}

// Everything is measured in lines of text, so the box grows with the font.
void Dialog::layOut() {
  const int line = font_->height;
  int textWidth = 0;
  for (const std::string& text : lines_) textWidth = std::max(textWidth, advance(text));
  button_.width = std::max(advance(kButtonLabel) + 2 * line, 5 * line);
  button_.height = line * 9 / 5;
  width_ = std::max(textWidth, button_.width) + 2 * line;
  const int textHeight = static_cast<int>(lines_.size()) * line;
  button_.x = (width_ - button_.width) / 2;
  button_.y = line + textHeight + line;
  height_ = button_.y + button_.height + line * 3 / 4;
}

void Dialog::setText(Atom property, Atom type, const std::string& value) {
  desktop_.x.changeProperty(desktop_.display, window_, property, type, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(value.data()),
                            static_cast<int>(value.size()));
}

void Dialog::createWindow(const std::wstring& caption) {
  Display* const display = desktop_.display;
  const int screen = DefaultScreen(display);
  const int x = (DisplayWidth(display, screen) - width_) / 2;
  const int y = (DisplayHeight(display, screen) - height_) / 2;
  window_ = desktop_.x.createSimpleWindow(display, desktop_.root, x, y, width_, height_, 0, 0,
                                          background_.pixel);
  const std::string title = utf8::narrow(caption);
  const Atom utf8String = desktop_.atom(BoxName::utf8String);
  setText(desktop_.atom(BoxName::netWmName), utf8String, title);
  setText(XA_WM_NAME, utf8String, title);
  setText(XA_WM_CLASS, XA_STRING, std::string("tarvexel\0Tarvexel\0", 18));
  const Atom dialog = desktop_.atom(BoxName::windowTypeDialog);
  desktop_.x.changeProperty(display, window_, desktop_.atom(BoxName::windowType), XA_ATOM, 32,
                            PropModeReplace, reinterpret_cast<const unsigned char*>(&dialog), 1);
  Atom deleteWindow = desktop_.atom(BoxName::wmDeleteWindow);
  desktop_.x.setWMProtocols(display, window_, &deleteWindow, 1);
  XSizeHints size{};
  size.flags = PPosition | PMinSize | PMaxSize;
  size.x = x;
  size.y = y;
  size.min_width = size.max_width = width_;
  size.min_height = size.max_height = height_;
  desktop_.x.setWMNormalHints(display, window_, &size);
  XWMHints hints{};
  hints.flags = InputHint;
  hints.input = True;
  desktop_.x.setWMHints(display, window_, &hints);
  desktop_.x.selectInput(display, window_,
                         ExposureMask | KeyPressMask | ButtonReleaseMask | StructureNotifyMask);
  desktop_.x.mapWindow(display, window_);
}

void Dialog::drawText(const std::string& text, int x, int baseline) {
  xft_.drawStringUtf8(draw_, &ink_, font_, x, baseline,
                      reinterpret_cast<const FcChar8*>(text.data()), static_cast<int>(text.size()));
}

void Dialog::draw() {
  const int line = font_->height;
  xft_.drawRect(draw_, &background_, 0, 0, width_, height_);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    drawText(lines_[i], line, line + static_cast<int>(i) * line + font_->ascent);
  }
  xft_.drawRect(draw_, &buttonEdge_, button_.x, button_.y, button_.width, button_.height);
  xft_.drawRect(draw_, &buttonFace_, button_.x + 1, button_.y + 1, button_.width - 2,
                button_.height - 2);
  const int labelX = button_.x + (button_.width - advance(kButtonLabel)) / 2;
  const int labelBaseline =
      button_.y + (button_.height - font_->ascent - font_->descent) / 2 + font_->ascent;
  drawText(kButtonLabel, labelX, labelBaseline);
}

bool Dialog::dismisses(const XEvent& event) const {
  switch (event.type) {
    case KeyPress: {
      XKeyEvent key = event.xkey;
      const KeySym symbol = desktop_.x.lookupKeysym(&key, 0);
      return symbol == XK_Return || symbol == XK_KP_Enter || symbol == XK_Escape;
    }
    case ButtonRelease:
      return event.xbutton.button == Button1 && button_.holds(event.xbutton.x, event.xbutton.y);
    case ClientMessage:
      return event.xclient.message_type == desktop_.atom(BoxName::wmProtocols) &&
             static_cast<Atom>(event.xclient.data.l[0]) == desktop_.atom(BoxName::wmDeleteWindow);
    case DestroyNotify:  // someone else took the window away
      return event.xdestroywindow.window == window_;
    default:
      return false;
  }
}

void Dialog::waitUntilDismissed() {
  XEvent event;
  do {
    desktop_.x.nextEvent(desktop_.display, &event);
    if (event.type == Expose && event.xexpose.count == 0) draw();
  } while (!dismisses(event));
}

}  // namespace

void showDialog(const std::wstring& text, const std::wstring& caption) {
  const Desktop* desktop = x11::desktop();
  if (desktop == nullptr) return;
  const Xft* xft = x11::xft();
  if (xft == nullptr) return;
  XftFont* font = xft->fontOpenName(desktop->display, DefaultScreen(desktop->display), kFont);
  if (font == nullptr) return;
  Dialog dialog(*desktop, *xft, font, text, caption);
  dialog.waitUntilDismissed();
}

}  // namespace x11

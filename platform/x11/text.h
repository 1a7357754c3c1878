// The text of a window's title or class, decoded by the property's type.
#ifndef TARVEXEL_PLATFORM_X11_TEXT_H
#define TARVEXEL_PLATFORM_X11_TEXT_H

#include <string>

namespace x11 {

// A byte that cannot be read becomes the lone surrogate U+DC00 + byte.
// Well-formed text never holds one, so such a text can never equal the
// text of a different byte string, nor any text a profile can hold.
constexpr wchar_t kByteEscapeBase = 0xDC00;

enum class TextType {
  utf8,      // UTF8_STRING
  latin1,    // STRING
  compound,  // COMPOUND_TEXT
};

std::wstring decodeText(TextType type, const std::string& bytes);

// COMPOUND_TEXT, the encoding Xt programs (xterm, xmessage) and Xlib's
// XmbTextListToTextProperty give a title outside Latin-1: ISO 2022 with the
// escape sequences of X11's Compound Text Encoding. The left half of the
// code table starts as ASCII and the right half as Latin-1; escape sequences switch either half to
// another character set: ESC ( B, ESC ( J, ESC ( I and ESC ) I (ASCII, JIS X 0201), ESC - F (the
// right halves of ISO 8859), ESC $ ( F and ESC $ ) F (GB 2312, JIS X 0208, KS C 5601, JIS X 0212),
// and ESC % G ... ESC % @ (UTF-8). Bytes that cannot be read (an unknown sequence and what it
// governs, half a two-byte character, a code the set leaves empty) are escaped.
std::wstring decodeCompoundText(const std::string& bytes);

}  // namespace x11

#endif

// UTF-8 as the POSIX port meets it: profiles, command lines, paths and the
// notice text all cross the boundary between bytes and wide strings here.
#ifndef TARVEXEL_PLATFORM_UTF8_H
#define TARVEXEL_PLATFORM_UTF8_H

#include <cstddef>
#include <string>

namespace utf8 {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes the character at the front of `bytes`. Returns how many bytes it
// took, or 0 when `size` ends inside a sequence that may still be completed.
// A byte that cannot start or continue a well-formed sequence (overlong
// forms, surrogates and values above U+10FFFF included) takes one byte and
// yields kReplacement, so that decoding always moves on.
inline std::size_t decode(const unsigned char* bytes, std::size_t size, char32_t& out) {
  if (size == 0) return 0;
  const unsigned char lead = bytes[0];
  out = kReplacement;
  if (lead < 0x80) {
    out = lead;
    return 1;
  }
  std::size_t length;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead < 0xC2) {
    return 1;
  } else if (lead < 0xE0) {
    length = 2;
  } else if (lead < 0xF0) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead < 0xF5) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 1;
  }
  char32_t value = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if (i == size) return 0;
    const unsigned char next = bytes[i];
    if (next < low || next > high) return 1;
    value = (value << 6) | (next & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  out = value;
  return length;
}

// Command-line arguments and paths are byte strings that need not be UTF-8.
// These two carry any byte string through a wide string and back unchanged:
// a byte that is not part of well-formed UTF-8 becomes U+DC80 + (byte - 0x80),
// a lone surrogate that well-formed text never holds.
std::wstring widenLossless(const std::string& bytes);
// False when `text` holds a character that has no byte form (a NUL, another
// surrogate, a value past U+10FFFF).
bool narrowLossless(const std::wstring& text, std::string& bytes);

// UTF-8 for text meant to be read; a character without a form becomes U+FFFD.
std::string narrow(const std::wstring& text);

}  // namespace utf8

#endif

#include "platform/posix/utf8.h"

namespace utf8 {
namespace {

constexpr char32_t kEscapeBase = 0xDC00;

bool isEscapedByte(char32_t c) { return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF; }

bool isScalarValue(char32_t c) { return c < 0xD800 || (c > 0xDFFF && c <= 0x10FFFF); }

void append(std::string& bytes, char32_t c) {
  if (c < 0x80) {
    bytes += static_cast<char>(c);
  } else if (c < 0x800) {
    bytes += static_cast<char>(0xC0 | (c >> 6));
    bytes += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    bytes += static_cast<char>(0xE0 | (c >> 12));
    bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    bytes += static_cast<char>(0xF0 | (c >> 18));
    bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::wstring widenLossless(const std::string& bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t at = 0;
  while (at < bytes.size()) {
    char32_t c;
    std::size_t used = decode(data + at, bytes.size() - at, c);
    if (used == 0 || (used == 1 && c == kReplacement)) {
      c = kEscapeBase + data[at];
      used = 1;
    }
    text += static_cast<wchar_t>(c);
    at += used;
  }
  return text;
}

bool narrowLossless(const std::wstring& text, std::string& bytes) {
  bytes.clear();
  for (const wchar_t w : text) {
    const auto c = static_cast<char32_t>(w);
    if (isEscapedByte(c)) {
      bytes += static_cast<char>(c - kEscapeBase);
    } else if (c == 0 || !isScalarValue(c)) {
      return false;
    } else {
      append(bytes, c);
    }
  }
  return true;
}

std::string narrow(const std::wstring& text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (const wchar_t w : text) {
    const auto c = static_cast<char32_t>(w);
    append(bytes, isScalarValue(c) ? c : kReplacement);
  }
  return bytes;
}

}  // namespace utf8

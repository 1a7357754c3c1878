#include "platform/x11/text.h"

#include <iconv.h>

#include <cstring>
#include <map>

#include "platform/posix/utf8.h"

namespace x11 {
namespace {

constexpr unsigned char kEscape = 0x1B;
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);  // what iconv_open fails with

// What one half of the code table holds.
struct Charset {
  enum Kind { ascii, jisRoman, katakana, latin1, converted, unknown } kind = unknown;
  int width = 1;                    // bytes per character
  const char* iconvName = nullptr;  // for `converted`: the sets glibc knows
  char prefix = 0;                  // a byte before each character in that encoding
};

// The sets named by the final byte of a designation. glibc reads the
// two-byte ones in their EUC form: both bytes with the high bit set.
Charset designated(bool doubleByte, bool ninetySix, char final) {
  if (doubleByte) {
    switch (final) {
      case '@':
      case 'B':
        return {Charset::converted, 2, "EUC-JP"};
      case 'A':
        return {Charset::converted, 2, "EUC-CN"};
      case 'C':
        return {Charset::converted, 2, "EUC-KR"};
      case 'D':
        return {Charset::converted, 2, "EUC-JP", '\x8f'};
      default:
        return {};
    }
  }
  if (!ninetySix) {
    switch (final) {
      case 'B':
        return {Charset::ascii};
      case 'J':
        return {Charset::jisRoman};
      case 'I':
        return {Charset::katakana};
      default:
        return {};
    }
  }
  static const std::map<char, const char*> kRightHalves = {
      {'B', "ISO-8859-2"},  {'C', "ISO-8859-3"},  {'D', "ISO-8859-4"}, {'F', "ISO-8859-7"},
      {'G', "ISO-8859-6"},  {'H', "ISO-8859-8"},  {'L', "ISO-8859-5"}, {'M', "ISO-8859-9"},
      {'V', "ISO-8859-10"}, {'Y', "ISO-8859-13"}, {'b', "ISO-8859-15"}};
  if (final == 'A') return {Charset::latin1};
  const auto known = kRightHalves.find(final);
  if (known == kRightHalves.end()) return {};
  return {Charset::converted, 1, known->second};
}

class Decoder {
 public:
  explicit Decoder(const std::string& bytes) : bytes_(bytes) {}
  ~Decoder() {
    for (const auto& entry : converters_)
      if (entry.second != kNoConverter) ::iconv_close(entry.second);
  }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  std::wstring decode() {
    while (at_ < bytes_.size()) {
      const auto byte = static_cast<unsigned char>(bytes_[at_]);
      if (byte == kEscape) {
        escapeSequence();
      } else if (byte == 0x20) {
        text_ += L' ';  // the space of every set in the left half
        ++at_;
      } else if (byte < 0x20 || byte == 0x7F) {
        text_ += static_cast<wchar_t>(byte);  // tab and newline; controls stand for themselves
        ++at_;
      } else if (byte >= 0x80 && byte < 0xA0) {
        escapeBytes(1);  // C1 controls and CSI sequences: no text of ours uses them
      } else {
        character(byte < 0x80 ? left_ : right_);
      }
    }
    return text_;
  }

 private:
  unsigned char byteAt(std::size_t i) const { return static_cast<unsigned char>(bytes_[i]); }

  void escapeBytes(std::size_t count) {
    for (std::size_t i = 0; i < count && at_ < bytes_.size(); ++i, ++at_)
      text_ += static_cast<wchar_t>(kByteEscapeBase + byteAt(at_));
  }

  // ESC, intermediate bytes (0x20-0x2F), one final byte (0x30-0x7E).
  void escapeSequence() {
    std::size_t end = at_ + 1;
    while (end < bytes_.size() && byteAt(end) >= 0x20 && byteAt(end) <= 0x2F) ++end;
    if (end == bytes_.size() || byteAt(end) < 0x30 || byteAt(end) > 0x7E) {
      escapeBytes(end - at_);
      return;
    }
    const std::string intermediates = bytes_.substr(at_ + 1, end - at_ - 1);
    const char final = bytes_[end];
    if (intermediates == "%" && final == 'G') {
      at_ = end + 1;
      utf8Segment();
    } else if (intermediates == "(" || intermediates == "$(") {
      left_ = designated(intermediates[0] == '$', false, final);
      at_ = end + 1;
    } else if (intermediates == ")" || intermediates == "-" || intermediates == "$)") {
      right_ = designated(intermediates[0] == '$', intermediates == "-", final);
      at_ = end + 1;
    } else {
      escapeBytes(end + 1 - at_);
    }
  }

  // UTF-8 up to ESC % @ or the end of the text.
  void utf8Segment() {
    static const char kBack[] = "\x1b%@";
    std::size_t end = bytes_.find(kBack, at_);
    if (end == std::string::npos) end = bytes_.size();
    text_ += utf8::widenLossless(bytes_.substr(at_, end - at_));
    at_ = std::min(end + 3, bytes_.size());
  }

  void character(const Charset& set) {
    const unsigned char byte = byteAt(at_) | 0x80;
    switch (set.kind) {
      case Charset::ascii:
        text_ += static_cast<wchar_t>(byte & 0x7F);
        break;
      case Charset::jisRoman:
        text_ += (byte & 0x7F) == 0x5C   ? L'\u00A5'
                 : (byte & 0x7F) == 0x7E ? L'\u203E'
                                         : wchar_t(byte & 0x7F);
        break;
      case Charset::katakana:
        if (byte < 0xA1 || byte > 0xDF) return escapeBytes(1);
        text_ += static_cast<wchar_t>(0xFF61 + (byte - 0xA1));
        break;
      case Charset::latin1:
        text_ += static_cast<wchar_t>(byte);
        break;
      case Charset::converted:
        return converted(set);
      case Charset::unknown:
        return escapeBytes(1);
    }
    ++at_;
  }

  // A character of a set glibc converts; both bytes of a two-byte one must
  // lie in the same half.
  void converted(const Charset& set) {
    const auto width = static_cast<std::size_t>(set.width);
    const bool high = byteAt(at_) >= 0x80;
    if (at_ + width > bytes_.size()) return escapeBytes(1);
    std::string input;
    if (set.prefix) input += set.prefix;
    for (std::size_t i = 0; i < width; ++i) {
      const unsigned char byte = byteAt(at_ + i);
      if ((byte >= 0x80) != high || (byte & 0x7F) < 0x21 || (byte & 0x7F) == 0x7F)
        return escapeBytes(1);
      input += static_cast<char>(byte | 0x80);
    }
    wchar_t out[2];
    if (!convert(set.iconvName, input, out)) return escapeBytes(width);
    text_ += out[0];
    at_ += width;
  }

  // Exactly one character out of `input`, or false.
  bool convert(const char* encoding, std::string& input, wchar_t (&out)[2]) {
    iconv_t converter = converterFor(encoding);
    if (converter == kNoConverter) return false;
    ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* outBytes = reinterpret_cast<char*>(out);
    std::size_t outLeft = sizeof out;
    const std::size_t result = ::iconv(converter, &in, &inLeft, &outBytes, &outLeft);
    return result != static_cast<std::size_t>(-1) && inLeft == 0 &&
           outLeft == sizeof out - sizeof out[0];
  }

  iconv_t converterFor(const char* encoding) {
    auto found = converters_.find(encoding);
    if (found == converters_.end())
      found = converters_.emplace(encoding, ::iconv_open("WCHAR_T", encoding)).first;
    return found->second;
  }

  const std::string& bytes_;
  std::size_t at_ = 0;
  std::wstring text_;
  Charset left_{Charset::ascii};
  Charset right_{Charset::latin1};
  std::map<std::string, iconv_t> converters_;
};

}  // namespace

std::wstring decodeCompoundText(const std::string& bytes) { return Decoder(bytes).decode(); }

std::wstring decodeText(TextType type, const std::string& bytes) {
  switch (type) {
    case TextType::utf8:  // a stray byte becomes U+DC00 + byte there too
      return utf8::widenLossless(bytes);
    case TextType::latin1: {
      std::wstring text;
      for (const char byte : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(byte));
      return text;
    }
    case TextType::compound:
      return decodeCompoundText(bytes);
  }
  return std::wstring();
}

}  // namespace x11

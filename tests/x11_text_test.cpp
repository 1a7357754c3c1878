// Titles and classes as X11 properties hold them, decoded by their type.
// The COMPOUND_TEXT inputs are what Xlib's XmbTextListToTextProperty writes
// for these texts in a Japanese UTF-8 locale, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "platform/x11/text.h"

namespace {

using x11::decodeText;
using x11::TextType;

struct Case {
  const char* what;
  TextType type;
  std::string bytes;
  std::wstring text;
};

const Case kCases[] = {
    {"UTF-8", TextType::utf8, "\xe5\x8f\x97\xe4\xbf\xa1 Inbox", L"受信 Inbox"},
    {"Latin-1", TextType::latin1,
     "Gr\xfc\xdf"
     "e",
     L"Grüße"},
    {"compound, ASCII alone", TextType::compound, "Inbox", L"Inbox"},
    {"compound, Latin-1 right half from the start", TextType::compound,
     "Gr\xfc\xdf"
     "e",
     L"Grüße"},
    {"compound, JIS X 0208 in the left half", TextType::compound, "\x1b$(BF|K\\8l$N%?%$%H%k",
     L"日本語のタイトル"},
    {"compound, JIS X 0208 then back to ASCII", TextType::compound, "\x1b$(B&8\x1b(Bmega",
     L"Ωmega"},
    {"compound, JIS X 0208 in the right half", TextType::compound, "\x1b$)B\xc6\xfc\xcb\xdc",
     L"日本"},
    {"compound, JIS X 0201 katakana", TextType::compound, "\x1b)I\xb1\xb2\xb3", L"ｱｲｳ"},
    {"compound, KS C 5601", TextType::compound, "\x1b$(CGQ19>n", L"한국어"},
    {"compound, GB 2312", TextType::compound, "\x1b$)A\xd6\xd0\xce\xc4", L"中文"},
    {"compound, Latin-2 right half", TextType::compound, "\x1b-B\xb1", L"ą"},
    {"compound, a UTF-8 segment", TextType::compound, "\x1b%G\xf0\x9f\x98\x80\x1b%@x", L"😀x"},
    {"compound, JIS X 0201 Roman", TextType::compound, "\x1b(J\\~", L"¥‾"},
};

TEST(X11Text, DecodesEachTypeAndCharacterSet) {
  for (const Case& c : kCases) EXPECT_EQ(decodeText(c.type, c.bytes), c.text) << c.what;
}

// Bytes that cannot be read become lone surrogates, one per byte: a text
// with one never equals the text of other bytes, nor any text a profile can
// hold (which never holds a lone surrogate).
const Case kMalformed[] = {
    {"UTF-8, a stray byte", TextType::utf8, "Caf\xff", L"Caf\xdcff"},
    {"UTF-8, a sequence cut short", TextType::utf8, "Caf\xc3", L"Caf\xdcc3"},
    {"compound, half a JIS X 0208 character", TextType::compound, "\x1b$)B\xc6", L"\xdcc6"},
    {"compound, a code JIS X 0208 leaves empty", TextType::compound, "\x1b$)B\xa9\xa1",
     L"\xdca9\xdca1"},
    {"compound, an unknown set", TextType::compound, "\x1b$(Zab", L"\xdc61\xdc62"},
    {"compound, an extended segment", TextType::compound, "\x1b%/1\x80\x85",
     L"\xdc1b\xdc25\xdc2f\xdc31\xdc80\xdc85"},
    {"compound, a C1 control", TextType::compound,
     "a\x9b"
     "1]",
     L"a\xdc9b"
     L"1]"},
    {"compound, bad UTF-8 in a UTF-8 segment", TextType::compound, "\x1b%G\xff\x1b%@", L"\xdcff"},
};

TEST(X11Text, EscapesWhatCannotBeRead) {
  for (const Case& c : kMalformed) EXPECT_EQ(decodeText(c.type, c.bytes), c.text) << c.what;
}

TEST(X11Text, StrayBytesNeverMeetOtherBytesOrTheReplacementCharacter) {
  const std::wstring ff = decodeText(TextType::utf8, "Caf\xff");
  EXPECT_NE(ff, decodeText(TextType::utf8, "Caf\xfe"));
  EXPECT_NE(ff, decodeText(TextType::utf8, "Caf\xef\xbf\xbd"));
  EXPECT_NE(ff, L"Caf\xfffd");
}

}  // namespace

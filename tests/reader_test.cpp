// The file format, fed whole files and compared section by section.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "profile/profile.h"
#include "platform/posix/utf8.h"
#include "platform/services.h"
#include "profile/reader.h"
#include "tests/temp_file.h"

namespace {

using Entries = std::vector<std::pair<std::wstring, std::wstring>>;
using Sections = std::vector<std::pair<std::wstring, Entries>>;

Sections contentsOf(const Profile& profile) {
  Sections result;
  for (const ProfileSection& section : profile.sections()) {
    Entries entries;
    for (const ProfileEntry& entry : section.entries) entries.emplace_back(entry.key, entry.value);
    result.emplace_back(section.name, entries);
  }
  return result;
}

struct ReadCase {
  const char* name;
  std::string bytes;
  Sections expected;
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }

// Comment lines of exactly `size` bytes, to put what follows at a chosen
// offset: the file is read in blocks of 64 KiB.
std::string padding(std::size_t size) {
  std::string text;
  while (size - text.size() > 500) text += "#" + std::string(498, '.') + "\n";
  return text + "#" + std::string(size - text.size() - 2, '.') + "\n";
}

constexpr std::size_t kBlock = 64 * 1024;
// Lines are split from the decoded text in blocks of this many characters.
constexpr std::size_t kCharacterBlock = 512;

class ReaderTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReaderTest, ReadsSectionsAndEntries) {
  const ReadCase& c = GetParam();
  const TempFile file(c.bytes);
  const Profile profile(file.widePath());
  EXPECT_FALSE(profile.loadFailed());
  EXPECT_EQ(contentsOf(profile), c.expected);
  EXPECT_EQ(file.contents(), c.bytes) << "the profile must never be written";
}

const std::string kLine1023(1023, 'x');

// Characters beyond U+FFFF, each two UTF-16 code units as Windows counts them.
std::string emoji(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "\xF0\x9F\x98\x80";
  return text;
}
const std::string kEmoji510 = emoji(510);

INSTANTIATE_TEST_SUITE_P(
    Format, ReaderTest,
    testing::Values(
        ReadCase{"WholeFile",
                 "# a comment\nexec=top.exe\n[mail]\nclass=MailWnd\nmode=active\nexec=close\n"
                 "[default]\nexec=a.exe|-x\nsleep=500\n",
                 {{L"", {{L"exec", L"top.exe"}}},
                  {L"mail", {{L"class", L"MailWnd"}, {L"mode", L"active"}, {L"exec", L"close"}}},
                  {L"default", {{L"exec", L"a.exe|-x"}, {L"sleep", L"500"}}}}},
        ReadCase{"Empty", "", {}},
        ReadCase{"OnlyHeadersAndComments", "[default]\n# x\n[other]\n", {}},
        ReadCase{"RepeatedHeaderResumesSection", "[a]\nexec=x\n[b]\nexec=y\n[a]\nexec=z\n",
                 {{L"a", {{L"exec", L"x"}, {L"exec", L"z"}}}, {L"b", {{L"exec", L"y"}}}}},
        ReadCase{"SplitsAtFirstEquals", "a=b=c\n=x\na=\n",
                 {{L"", {{L"a", L"b=c"}, {L"", L"x"}, {L"a", L""}}}}},
        ReadCase{"LineWithoutEqualsIsKeyAndValue", "exec\n", {{L"", {{L"exec", L"exec"}}}}},
        ReadCase{"EmptyAndBracketedHeaderNames", "[]\nk=1\n[a]b]\nk=2\n",
                 {{L"", {{L"k", L"1"}}}, {L"a]b", {{L"k", L"2"}}}}},
        ReadCase{"HeaderOnlyWhenBracketsAreFirstAndLast", " [a]\n[a] \n[a]\n#x\n",
                 {{L"", {{L" [a]", L" [a]"}, {L"[a] ", L"[a] "}}}}},
        ReadCase{"CommentOnlyInFirstColumn", " #x=1\n", {{L"", {{L" #x", L"1"}}}}},
        ReadCase{"NothingIsTrimmed", "exec =x \n\tk\t=\tv\t\n",
                 {{L"", {{L"exec ", L"x "}, {L"\tk\t", L"\tv\t"}}}}},
        ReadCase{"LastLineNeedsNoLineFeed", "[s]\nk=v", {{L"s", {{L"k", L"v"}}}}},
        ReadCase{"CarriageReturnBeforeLineFeedGoes", "[s]\r\nk=v\r\n", {{L"s", {{L"k", L"v"}}}}},
        ReadCase{"LoneCarriageReturnStays", "k=a\rb\nk2=c\r", {{L"", {{L"k", L"a\rb"}, {L"k2", L"c\r"}}}}},
        ReadCase{"ByteOrderMarkSkipped", "\xEF\xBB\xBF[s]\nk=v\n", {{L"s", {{L"k", L"v"}}}}},
        ReadCase{"SecondByteOrderMarkIsText", "\xEF\xBB\xBF\xEF\xBB\xBF[s]\n",
                 {{L"", {{L"\xFEFF[s]", L"\xFEFF[s]"}}}}},
        ReadCase{"Utf8Decoded", "[メール]\ntitle=受信箱 – Ω 😀\n",
                 {{L"メール", {{L"title", L"受信箱 – Ω 😀"}}}}},
        ReadCase{"MalformedBytesBecomeReplacement",
                 "a=\xFF\xC0\xAF|\xED\xA0\x80|\xE3\x81\n",
                 {{L"", {{L"a", L"\xFFFD\xFFFD\xFFFD|\xFFFD\xFFFD\xFFFD|\xFFFD\xFFFD"}}}}},
        ReadCase{"NulEndsTheLinesText", std::string("a=b\0c=d\ne=f\n", 12),
                 {{L"", {{L"a", L"b"}, {L"e", L"f"}}}}},
        ReadCase{"UFFFFEndsTheReading", "a=b\nc=d\xEF\xBF\xBFtail\ne=f\n",
                 {{L"", {{L"a", L"b"}, {L"c", L"d"}}}}},
        ReadCase{"LineOf1023CharactersIsRead", "[s]\n" + kLine1023 + "\r\n",
                 {{L"s", {{std::wstring(1023, L'x'), std::wstring(1023, L'x')}}}}},
        ReadCase{"LineOf1023Utf16UnitsIsRead", "[s]\nk=" + kEmoji510 + "x\n",
                 {{L"s", {{L"k", std::wstring(510, L'\U0001F600') + L"x"}}}}},
        ReadCase{"CarriageReturnAndLineFeedInTwoBlocks", padding(kBlock - 4) + "k=v\r\nn=w",
                 {{L"", {{L"k", L"v"}, {L"n", L"w"}}}}},
        ReadCase{"CharacterInTwoBlocks", padding(kBlock - 3) + "k=\xC3\xA9\n",
                 {{L"", {{L"k", L"\xE9"}}}}},
        ReadCase{"LineAcrossCharacterBlocks", padding(kCharacterBlock - 5) + "k=abcdefgh\n",
                 {{L"", {{L"k", L"abcdefgh"}}}}},
        ReadCase{"NulAcrossCharacterBlocks",
                 padding(kCharacterBlock - 4) + std::string("k=a\0bcdefgh\nz=\xC3\xA9\r\n", 18),
                 {{L"", {{L"k", L"a"}, {L"z", L"\xE9"}}}}}),
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

struct RefusedCase {
  const char* name;
  std::string bytes;
  std::size_t line;  // the number of the overlong line
};

void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

class RefusedTest : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedTest, OverlongLineRefusesTheWholeProfile) {
  const TempFile file(GetParam().bytes);
  const Profile profile(file.widePath());
  EXPECT_TRUE(profile.loadFailed());
  EXPECT_TRUE(profile.sections().empty());
  EXPECT_EQ(profile.refusedLine(), GetParam().line);
  EXPECT_EQ(profile.openError(), 0);
}

const std::string kPadding = padding(kCharacterBlock - 100);

INSTANTIATE_TEST_SUITE_P(
    Format, RefusedTest,
    testing::Values(RefusedCase{"Line1024", "[default]\nexec=a\n" + kLine1023 + "y\n", 3},
                    RefusedCase{"Line1024AtTheEnd", "[default]\nexec=a\n" + kLine1023 + "y", 3},
                    RefusedCase{"LongAfterNul",
                                std::string("[default]\nk=\0", 13) + std::string(2000, 'x'), 2},
                    RefusedCase{"HugeLine", "\n\n[default]\n" + std::string(100000, 'e'), 4},
                    RefusedCase{"Line1024Utf16Units", "[default]\nk=" + kEmoji510 + "xy\n", 2},
                    RefusedCase{"Line1024AcrossCharacterBlocks",
                                "[default]\nexec=a\n" + kPadding + kLine1023 + "y\n",
                                3 + static_cast<std::size_t>(
                                        std::count(kPadding.begin(), kPadding.end(), '\n'))}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return info.param.name; });

TEST(ReaderOpenTest, UnopenablePathsSetLoadFailed) {
  const TempFile file("[default]\nexec=a\n");
  const std::vector<std::pair<std::wstring, int>> paths = {
      {file.widePath() + L".missing", ENOENT},
      {L"", ENOENT},
      {utf8::widenLossless(file.folder()), EISDIR},
      {std::wstring(5000, L'a'), ENAMETOOLONG},
      {file.widePath() + L'\0', EILSEQ},
  };
  for (const auto& [path, error] : paths) {
    const Profile profile(path);
    EXPECT_TRUE(profile.loadFailed()) << utf8::narrow(path);
    EXPECT_TRUE(profile.sections().empty());
    EXPECT_EQ(profile.openError(), error) << "the reason is kept for the companion program";
    EXPECT_EQ(profile.refusedLine(), 0u);
  }
}

// A regular file is read through a buffer the size it had when it was
// opened (256 bytes at the least): what is written to it after that, a
// character cut by the buffer's end included, is read all the same.
struct GrowingCase {
  const char* name;
  std::string atOpening;
  std::string appended;
};

void PrintTo(const GrowingCase& c, std::ostream* out) { *out << c.name; }

class GrowingFileTest : public testing::TestWithParam<GrowingCase> {};

TEST_P(GrowingFileTest, IsReadToItsEnd) {
  const GrowingCase& c = GetParam();
  const TempFile file(c.atOpening);
  WideTextFile text(file.widePath());
  ASSERT_TRUE(text.isOpen());
  std::ofstream(file.path(), std::ios::app | std::ios::binary) << c.appended;
  std::wstring read;
  wchar_t block[100];
  for (std::size_t got; (got = text.read(block, 100)) > 0;) read.append(block, got);
  EXPECT_EQ(read, utf8::widenLossless(c.atOpening + c.appended));
}

const std::string kEmoji = emoji(1);

INSTANTIATE_TEST_SUITE_P(
    Sizes, GrowingFileTest,
    testing::Values(
        GrowingCase{"EmptyAtOpening", "", std::string(254, 'a') + kEmoji + "tail\n"},
        GrowingCase{"OneByteAtOpening", "k", std::string(253, 'a') + kEmoji + "tail\n"},
        GrowingCase{"SmallFile", "k=" + std::string(300, 'a'),
                    std::string(301, 'b') + "\xC3\xA9" + std::string(5000, 'c') + "\n"}),
    [](const testing::TestParamInfo<GrowingCase>& info) { return info.param.name; });

TEST(ReaderOpenTest, PathBytesThatAreNotUtf8ReachTheFileSystem) {
  const TempFile file("[default]\nk=v\n", "caf\xE9-\xFF.ini");
  const Profile profile(utf8::widenLossless(file.path()));
  ASSERT_FALSE(profile.loadFailed());
  EXPECT_EQ(profile.sections().size(), 1u);
}

}  // namespace

// The store's lookups, defaults and updates.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "profile/profile.h"
#include "tests/temp_file.h"

namespace {

class ProfileTest : public testing::Test {
 protected:
  ProfileTest() : file_("[app]\nk=1\nk=2\nclass=\n[default]\nexec=a\n"), profile_(file_.widePath()) {}

  TempFile file_;
  Profile profile_;
};

std::wstring lookupMessageOf(const std::function<void()>& lookup) {
  try {
    lookup();
  } catch (const ProfileLookupError& error) {
    return error.message();
  }
  ADD_FAILURE() << "no ProfileLookupError";
  return {};
}

TEST_F(ProfileTest, FirstEntryOfAKeyWins) { EXPECT_EQ(profile_.getValue(L"app", L"k"), L"1"); }

TEST_F(ProfileTest, NamesAndKeysAreExact) {
  for (const wchar_t* section : {L"Default", L"default ", L" default", L"DEFAULT"}) {
    EXPECT_THROW(profile_.findSection(section, false), ProfileLookupError);
  }
  for (const wchar_t* key : {L"K", L"k ", L" k"}) {
    EXPECT_THROW(profile_.getValue(L"app", key), ProfileLookupError);
  }
}

TEST_F(ProfileTest, LookupMessagesNameWhatIsMissing) {
  EXPECT_EQ(lookupMessageOf([&] { profile_.findSection(L"x", false); }),
            L"セクション[x]が見つかりません。");
  EXPECT_EQ(lookupMessageOf([&] { profile_.getValue(L"app", L"mode"); }),
            L"キー[mode]が見つかりません。");
}

TEST_F(ProfileTest, LookupMessagesAreCutToTheBuffer) {
  const std::wstring longName(600, L'n');
  const std::wstring message = lookupMessageOf([&] { profile_.findSection(longName, false); });
  EXPECT_EQ(message.size(), kMessageChars - 1);
  EXPECT_EQ(message, (L"セクション[" + longName).substr(0, kMessageChars - 1));
}

TEST_F(ProfileTest, GetValueOrReturnsTheStoredValueOrTheCallersOwnDefault) {
  const ProfileString fallback = L"exec";
  EXPECT_EQ(&profile_.getValueOr(L"app", L"mode", fallback, false), &fallback);
  EXPECT_THROW(profile_.getValue(L"app", L"mode"), ProfileLookupError) << "nothing stored";

  const ProfileString& stored = profile_.getValueOr(L"app", L"class", fallback, true);
  EXPECT_EQ(stored, L"");
  EXPECT_NE(&stored, &fallback);
}

TEST_F(ProfileTest, GetValueOrStoresTheDefaultAsTheLastEntry) {
  const ProfileString empty;
  EXPECT_EQ(&profile_.getValueOr(L"app", L"title", empty, true), &empty);
  const ProfileEntries& app = profile_.findSection(L"app", false);
  EXPECT_EQ(app.back().key, L"title");
  EXPECT_EQ(app.back().value, L"");
  EXPECT_EQ(&profile_.getValueOr(L"app", L"title", empty, true), &app.back().value);
}

TEST_F(ProfileTest, GetValueOrCreatesAMissingSectionAtTheEnd) {
  const ProfileString fallback = L"exec";
  profile_.getValueOr(L"new", L"mode", fallback, true);
  ASSERT_EQ(profile_.sections().size(), 3u);
  EXPECT_EQ(profile_.sections().back().name, L"new");
  ASSERT_EQ(profile_.sections().back().entries.size(), 1u);
  EXPECT_EQ(profile_.getValue(L"new", L"mode"), L"exec");
}

TEST_F(ProfileTest, SetValueKeepsReplacesOrAppends) {
  EXPECT_FALSE(profile_.setValue(L"app", L"k", L"9", true));
  EXPECT_EQ(profile_.getValue(L"app", L"k"), L"1");

  EXPECT_TRUE(profile_.setValue(L"app", L"k", L"9", false));
  const ProfileEntries& app = profile_.findSection(L"app", false);
  EXPECT_EQ(app[0].value, L"9");
  EXPECT_EQ(app[1].value, L"2") << "only the first entry of the key changes";

  EXPECT_TRUE(profile_.setValue(L"app", L"n", L"v", true));
  EXPECT_EQ(app.back().key, L"n");
  EXPECT_EQ(app.size(), 4u);
}

TEST_F(ProfileTest, AddEntryAppendsDuplicates) {
  profile_.addEntry(L"app", L"k", L"3");
  const ProfileEntries& app = profile_.findSection(L"app", false);
  EXPECT_EQ(app.size(), 4u);
  EXPECT_EQ(app.back().value, L"3");
  EXPECT_EQ(profile_.getValue(L"app", L"k"), L"1");
}

TEST_F(ProfileTest, ReferencesSurviveLaterAppends) {
  const ProfileString empty;
  const ProfileString& k = profile_.getValueOr(L"app", L"k", empty, true);
  const ProfileString& exec = profile_.getValue(L"default", L"exec");
  for (int i = 0; i < 1000; ++i) {
    const std::wstring n = std::to_wstring(i);
    profile_.getValueOr(L"app", L"key" + n, empty, true);
    profile_.getValueOr(L"section" + n, L"k", empty, true);
  }
  EXPECT_EQ(&k, &profile_.getValue(L"app", L"k"));
  EXPECT_EQ(k, L"1");
  EXPECT_EQ(exec, L"a");
}

// Lookups may start where the previous one ended; whatever came before,
// each name must find its own section, and a missing one none.
TEST(ProfileLookupOrderTest, EveryLookupFindsItsSectionWhateverCameBefore) {
  const TempFile file("[a]\nk=a\n[b]\nk=b\n[c]\nk=c\n[ab]\nk=ab\n[]\nk=\n");
  Profile profile(file.widePath());
  const std::vector<std::wstring> names = {L"a", L"b", L"c", L"ab", L"", L"missing"};
  for (const std::wstring& first : names) {
    for (const std::wstring& second : names) {
      const ProfileString fallback = L"none";
      profile.getValueOr(first, L"k", fallback, false);
      const std::wstring_view found = profile.getValueOr(second, L"k", fallback, false);
      EXPECT_EQ(found, second == L"missing" ? L"none" : second) << "after " << first.size();
      if (second == L"missing") {
        EXPECT_THROW(profile.findSection(second, false), ProfileLookupError);
      } else {
        EXPECT_EQ(std::wstring_view(profile.findSection(second, false).front().value), second);
      }
    }
  }
  EXPECT_EQ(profile.sections().size(), 5u) << "lookups without storeDefault add nothing";
}

// Enough sections and entries to fill arena blocks of several megabytes:
// every section is found by its name, in file order, a repeated header
// still continues its section, and what was handed out early stays put.
TEST(ProfileLookupOrderTest, LargeProfilesKeepOrderNamesAndReferences) {
  constexpr int kSections = 20000;
  std::string text = "[s0]\nk=first\n";
  for (int i = 1; i < kSections; ++i) {
    text += "[s" + std::to_string(i) + "]\nk=" + std::to_string(i) + " " + std::string(40, 'v') +
            "\n";
  }
  text += "[s0]\nk=again\n";
  const TempFile file(text);
  Profile profile(file.widePath());
  ASSERT_EQ(profile.sections().size(), static_cast<std::size_t>(kSections));
  const ProfileString& first = profile.getValue(L"s0", L"k");
  const ProfileString empty;
  for (int i = 0; i < kSections; ++i) {
    profile.getValueOr(L"s" + std::to_wstring(i), L"class", empty, true);
  }
  int at = 0;
  for (const ProfileSection& section : profile.sections()) {
    const std::wstring name = L"s" + std::to_wstring(at++);
    EXPECT_EQ(std::wstring_view(section.name), name);
    EXPECT_EQ(&profile.findSection(name, false), &section.entries);
  }
  EXPECT_EQ(&first, &profile.getValue(L"s0", L"k"));
  EXPECT_EQ(first, L"first");
  EXPECT_EQ(profile.findSection(L"s0", false).size(), 3u) << "k, k again, class";
  EXPECT_THROW(profile.findSection(L"s" + std::to_wstring(kSections), false), ProfileLookupError);
}

TEST(ProfileLoadTest, ProfileKeepsItsPathAndNeverRaisesForAMissingFile) {
  const std::wstring path = L"/nonexistent/tarvexel/profile.ini";
  const Profile profile(path);
  EXPECT_EQ(profile.path(), path);
  EXPECT_TRUE(profile.loadFailed());
  EXPECT_TRUE(profile.sections().empty());
}

}  // namespace

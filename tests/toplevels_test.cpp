// The order in which a search goes through a Wayland compositor's windows,
// and which window "least recent" means there, on lists given by hand.
#include "platform/wayland/toplevels.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using wayland::Toplevel;
using wayland::Toplevels;

// Stand-ins for the compositor's objects: only compared, never used.
wl_proxy* object(int n) { return reinterpret_cast<wl_proxy*>(static_cast<std::uintptr_t>(n)); }

// Windows 1..n of app ids and titles as given; `active` (from 1) is the
// activated one, 0 for none.
std::vector<Toplevel> listed(const std::vector<std::pair<std::string, std::string>>& windows,
                             int active) {
  std::vector<Toplevel> list;
  for (std::size_t i = 0; i < windows.size(); ++i) {
    list.push_back(Toplevel{object(static_cast<int>(i) + 1), windows[i].first, windows[i].second,
                            static_cast<int>(i) + 1 == active, false, {}, {}});
  }
  return list;
}

// The object behind a search's answer, 0 for none.
int found(const Toplevels& toplevels, HWND handle) {
  return static_cast<int>(reinterpret_cast<std::uintptr_t>(toplevels.objectOf(handle)));
}

TEST(Toplevels, ActivatedWindowFirstThenTheCompositorsOrder) {
  const Toplevels toplevels(listed({{"a", "1"}, {"b", "2"}, {"a", "3"}, {"a", "4"}}, 3));
  std::vector<std::wstring> titles;
  for (const WindowDescription& window : toplevels.windows().windows())
    titles.push_back(window.title);
  EXPECT_EQ(titles, (std::vector<std::wstring>{L"3", L"1", L"2", L"4"}));
  EXPECT_EQ(found(toplevels, toplevels.windows().find(L"a", nullptr)), 3);
  EXPECT_EQ(found(toplevels, toplevels.windows().find(L"b", nullptr)), 2);
  EXPECT_EQ(found(toplevels, toplevels.windows().front()), 3);
}

TEST(Toplevels, OnlyTheFirstActivatedWindowIsInFront) {
  std::vector<Toplevel> list = listed({{"a", "1"}, {"a", "2"}}, 0);
  list[0].activated = list[1].activated = true;
  const Toplevels toplevels(list);
  EXPECT_EQ(found(toplevels, toplevels.windows().front()), 1);
  EXPECT_FALSE(toplevels.windows().windows()[1].front);
}

// Each press of a key bound to "least recent" moves on to the next window
// after the one in front, coming round at the end of the list.
TEST(Toplevels, LeastRecentIsTheNextMatchAfterTheActivatedOne) {
  const std::vector<std::pair<std::string, std::string>> windows{
      {"a", "1"}, {"b", "2"}, {"a", "3"}, {"b", "4"}, {"a", "5"}};
  struct Case {
    int active;
    const wchar_t* appId;
    int expected;
  } cases[] = {
      {1, L"a", 3}, {3, L"a", 5}, {5, L"a", 1},  // round the end of the list
      {2, L"a", 3}, {4, L"b", 2}, {0, L"a", 1},  // nothing activated: the first
      {1, L"c", 0},
  };
  for (const Case& c : cases) {
    const Toplevels toplevels(listed(windows, c.active));
    EXPECT_EQ(found(toplevels, toplevels.findLeastRecent(c.appId, nullptr)), c.expected)
        << "activated " << c.active;
  }
  const Toplevels single(listed({{"a", "1"}, {"b", "2"}}, 1));
  EXPECT_EQ(found(single, single.findLeastRecent(L"a", nullptr)), 1);
}

// Names that are not UTF-8 are carried through without loss: never equal
// to the replacement character a profile's malformed byte becomes, nor to
// each other. An empty app id is no class at all.
TEST(Toplevels, NamesThatAreNotUtf8StayDistinct) {
  const Toplevels toplevels(
      listed({{"Bad\xc3", "Inbox\xff"}, {"Bad\xc3\xa9", "Inbox\xfe"}, {"", "Plain"}}, 0));
  const WindowList& windows = toplevels.windows();
  EXPECT_EQ(windows.find(L"Bad\uFFFD", nullptr), nullptr);
  EXPECT_EQ(windows.find(nullptr, L"Inbox\uFFFD"), nullptr);
  EXPECT_EQ(found(toplevels, windows.find(L"Bad\u00e9", nullptr)), 2);
  EXPECT_NE(windows.windows()[0].title, windows.windows()[1].title);
  EXPECT_TRUE(windows.windows()[2].classes.empty());
  EXPECT_EQ(windows.find(L"", nullptr), nullptr);
}

// "class" names a program by any name its desktop gives, in any ASCII
// letter case; anything more than letter case still tells names apart, and
// titles count exactly, whole or in the part titleMatch asks for.
TEST(WindowList, ClassMatchesAnyNameIgnoringAsciiCase) {
  WindowDescription xterm;
  xterm.classes = {L"xterm", L"XTerm"};
  xterm.title = L"Shell";
  WindowDescription accented;
  accented.classes = {L"\u00c9diteur"};
  const WindowList windows({xterm, accented});
  struct Case {
    const wchar_t* className;
    const wchar_t* title;
    bool found;
    TitleMatch titleMatch = TitleMatch::exact;
  } cases[] = {
      {L"xterm", nullptr, true},   {L"XTerm", nullptr, true},  {L"XTERM", nullptr, true},
      {L"xTeRm", L"Shell", true},  {L"x-term", nullptr, false}, {L"xterm ", nullptr, false},
      {L"xter", nullptr, false},   {L"xterm", L"shell", false}, {L"\u00e9diteur", nullptr, false},
      {L"\u00c9DITEUR", nullptr, true}, {L"", nullptr, false},
      {L"xterm", L"She", false},   {L"xterm", L"She", true, TitleMatch::prefix},
      {L"xterm", L"hell", false, TitleMatch::prefix},
      {L"xterm", L"hell", true, TitleMatch::suffix},
      {L"xterm", L"Shel", false, TitleMatch::suffix},
      {L"xterm", L"hel", true, TitleMatch::contains},
      {L"xterm", L"HEL", false, TitleMatch::contains},
      {L"xterm", L"Shell!", false, TitleMatch::prefix},
      {L"xterm", L"Shell!", false, TitleMatch::contains},
      {L"xterm", L"Shell", true, TitleMatch::suffix},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(windows.find(c.className, c.title, c.titleMatch) != nullptr, c.found)
        << c.className << L" " << (c.title != nullptr ? c.title : L"(any title)") << L" "
        << static_cast<int>(c.titleMatch);
  }
  EXPECT_TRUE(namesProgram({L"org.gnome.Zenity", L"zenity"}, L"ZENITY"));
  // KWin's XWayland window: the app id and the X11 instance, each once.
  std::vector<Toplevel> xwayland = listed({{"org.kde.konsole", "k"}, {"xterm", "x"}}, 0);
  xwayland[0].resourceName = "konsole";
  xwayland[1].resourceName = "xterm";
  const Toplevels kde(xwayland);
  EXPECT_EQ(kde.windows().windows()[0].classes,
            (std::vector<std::wstring>{L"org.kde.konsole", L"konsole"}));
  EXPECT_EQ(kde.windows().windows()[1].classes, std::vector<std::wstring>{L"xterm"});
  EXPECT_EQ(found(kde, kde.windows().find(L"Konsole", nullptr)), 1);
  EXPECT_FALSE(namesProgram({}, L"zenity"));
}

TEST(Toplevels, HandlesFromElsewhereNameNoObject) {
  const Toplevels toplevels(listed({{"a", "1"}}, 0));
  EXPECT_EQ(toplevels.objectOf(nullptr), nullptr);
  EXPECT_EQ(toplevels.objectOf(reinterpret_cast<HWND>(2)), nullptr);
  EXPECT_EQ(Toplevels().findLeastRecent(nullptr, nullptr), nullptr);
}

}  // namespace

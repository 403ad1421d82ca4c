// The update marks and the related site of a file.
#include <gtest/gtest.h>

#include "applist/AppListTestSupport.h"
#include "applist/UpdateCheck.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class UpdateCheckTest : public ::testing::Test {
 protected:
  TempHome home;
  ScriptedPrompter prompter;
};

TEST_F(UpdateCheckTest, TheAppListsDateAgainstTheFilesDate) {
  WriteAppList(home, {"Aardvark.prc,appl,first,http://a/,Games,2000/06/01",
                      "June.prc,appl,x,http://j/,Games,2000/06/01",
                      "April.prc,appl,x,http://a/,Games,2000/04/01",
                      "Same.prc,appl,x,http://s/,Games,2000/05/01",
                      "NoDate.prc,appl,x,http://n/,Games",
                      "Hand.prc,appl,x,http://h/,Games,last-week",
                      "Short.prc,appl,x,http://h/,Games,2000/05"});
  WriteMyAppList(home, {"\"Mine.prc\",\"appl\",\"mine\",\"\""});
  AppListCatalogue c(home.path());
  const char* date = "2000/05/01 12:34:56";
  EXPECT_EQ(MarkFor(c, "June.prc", date), UpdateMark::Newer);
  EXPECT_EQ(MarkFor(c, "april.PRC", date), UpdateMark::Older);
  EXPECT_EQ(MarkFor(c, "NoDate.prc", date), UpdateMark::Older);  // "0000/00/00"
  // The time of day takes no part: a later change on the same day.
  EXPECT_EQ(MarkFor(c, "Same.prc", "2000/05/01 23:59:59"), UpdateMark::Same);
  // The first entry of the sorted list is marked like every other one.
  EXPECT_EQ(MarkFor(c, "Aardvark.prc", date), UpdateMark::Newer);
  EXPECT_EQ(MarkFor(c, "Missing.prc", date), UpdateMark::None);
  // Only the AppList is searched.
  EXPECT_EQ(MarkFor(c, "Mine.prc", date), UpdateMark::None);
  // A date that is no date: no mark, and nothing raised.
  EXPECT_EQ(MarkFor(c, "Hand.prc", date), UpdateMark::None);
  EXPECT_EQ(MarkFor(c, "Short.prc", date), UpdateMark::None);
  EXPECT_EQ(MarkFor(c, "June.prc", "broken"), UpdateMark::None);
  EXPECT_STREQ(MarkName(UpdateMark::Newer), "newer");
  EXPECT_STREQ(MarkName(UpdateMark::None), "none");
}

TEST_F(UpdateCheckTest, TheRelatedSiteOfAFileIsItsAppListLink) {
  WriteAppList(home, {"Vexed.prc,appl,x,http://vexed.example/,Games,2000/06/01",
                      "NoLink.prc,appl,x"});
  WriteMyAppList(home, {"\"Mine.prc\",\"appl\",\"mine\",\"http://mine/\""});
  AppListCatalogue c(home.path());
  bool found = false;
  EXPECT_EQ(SiteOfFile(c, "vexed.PRC", &found), "http://vexed.example/");
  EXPECT_TRUE(found);
  EXPECT_EQ(SiteOfFile(c, "NoLink.prc", &found), "");
  EXPECT_TRUE(found);
  EXPECT_EQ(SiteOfFile(c, "Mine.prc", &found), "");
  EXPECT_FALSE(found);
}

TEST_F(UpdateCheckTest, TheRelatedSiteDependsOnWhatTheListShows) {
  WriteAppList(home, {"Vexed.prc,appl,x,http://vexed.example/,Games"});
  AppListCatalogue c(home.path());
  // An entry view: its own link column, whatever the AppList says.
  EXPECT_EQ(RelatedSite(c, "タイプ", "Vexed.prc", "http://mine/").url, "http://mine/");
  EXPECT_EQ(RelatedSite(c, "タイプ", "Vexed.prc", "").url, "");
  // A file view: the AppList's link of the file, or a complaint.
  EXPECT_EQ(RelatedSite(c, "サイズ", "VEXED.prc", "").url, "http://vexed.example/");
  SiteAnswer none = RelatedSite(c, "サイズ", "Other.prc", "");
  EXPECT_TRUE(none.missing);
  EXPECT_EQ(none.url, "");
  // The user information list: nothing.
  SiteAnswer info = RelatedSite(c, "内容", "Vexed.prc", "");
  EXPECT_FALSE(info.missing);
  EXPECT_EQ(info.url, "");
}

}  // namespace

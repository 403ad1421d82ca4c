// The rows of the entry views: what the list shows for AppList, My AppList
// and a category.
#include <gtest/gtest.h>

#include "applist/AppListTestSupport.h"
#include "applist/AppListViews.h"
#include "applist/CommaText.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;
using Texts = std::vector<std::string>;

namespace {

class AppListViewsTest : public ::testing::Test {
 protected:
  TempHome home;
  ScriptedPrompter prompter;
};

TEST_F(AppListViewsTest, RowsCarryTheirLinesAndShowTheFieldsTheLinesHave) {
  WriteAppList(home, {"c.prc,appl,三つ目,http://c/,ゲーム,2000/01/31", "", "   ",
                      "a.prc,appl,first,http://a/,ゲーム", "b.prc", "d.prc,appl,x,http://d/,Games,2001/02/03,extra"});
  AppListCatalogue c(home.path());
  std::vector<AppListRow> rows = AppListRows(c, AppListId::AppList);
  // Sorted, the lines without fields left out.
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].line, 2);
  EXPECT_EQ(rows[0].caption, "a.prc");
  // Five fields: a category and no date.
  EXPECT_EQ(rows[0].subItems, (Texts{"appl", "first", "http://a/", "ゲーム"}));
  EXPECT_EQ(rows[1].caption, "b.prc");
  EXPECT_TRUE(rows[1].subItems.empty());
  EXPECT_EQ(rows[2].subItems, (Texts{"appl", "三つ目", "http://c/", "ゲーム", "2000/01/31"}));
  // A sixth field and no more.
  EXPECT_EQ(rows[3].subItems, (Texts{"appl", "x", "http://d/", "Games", "2001/02/03"}));
  EXPECT_EQ(Cp932ToUtf8(c.lines(AppListId::AppList)[static_cast<std::size_t>(rows[2].line)]),
            "c.prc,appl,三つ目,http://c/,ゲーム,2000/01/31");
}

TEST_F(AppListViewsTest, ACategoryShowsItsOwnLinesExactly) {
  WriteAppList(home, {"a.prc,appl,x,http://a/,Games", "b.prc,appl,x,http://b/,games",
                      "c.prc,appl,x,http://c/,ゲーム", "d.prc,appl,x,http://d/,Games,2000/01/01"});
  AppListCatalogue c(home.path());
  c.LoadAppLists();
  ASSERT_EQ(c.categories().size(), 2u);  // Games (either case), ゲーム
  auto captions = [&](const std::string& category) {
    Texts out;
    for (const AppListRow& r : AppListRows(c, AppListId::AppList, category)) out.push_back(r.caption);
    return out;
  };
  EXPECT_EQ(captions("Games"), (Texts{"a.prc", "d.prc"}));
  EXPECT_EQ(captions("games"), Texts{"b.prc"});
  EXPECT_EQ(captions(Utf8ToCp932("ゲーム")), Texts{"c.prc"});
}

TEST_F(AppListViewsTest, TextsConvertTogetherAsTheyWouldOneByOne) {
  Texts sjis = {"ascii", Utf8ToCp932("日本語"), "", "\x81", "a\x82\xa0" "b", Utf8ToCp932("表\\"),
                "\xfd\xfe\xff", std::string("z\0y", 3)};
  Texts one;
  for (const auto& t : sjis) one.push_back(Cp932ToUtf8(t));
  EXPECT_EQ(SjisTextsToUtf8(sjis), one);
}

TEST_F(AppListViewsTest, FieldsKeptFromTheReadAreTheLinesFieldsThroughEveryChange) {
  // Lines whose fields are not plain runs of their bytes, or too long to
  // be kept by offsets, among plain ones.
  std::string longNote(70000, 'n');
  WriteAppList(home, {"b.prc,appl,\"say \"\"hi\"\"\",http://b/,Games,2000/01/01", "", "  a.prc , x ,y",
                      "c.prc,appl," + longNote + ",http://c/,Games,2000/01/01", "\"q\"\"x.prc\",1,2,3,4,5,6,7",
                      "d.prc,appl,日本語,http://d/,ゲーム,2001/02/03", "e.prc,,,,,"});
  AppListCatalogue c(home.path());
  auto agree = [&](const char* stage) {
    SCOPED_TRACE(stage);
    std::string scratch;
    for (int i = 0; i < c.count(AppListId::AppList); ++i) {
      Texts all = SplitCommaText(c.lines(AppListId::AppList)[static_cast<std::size_t>(i)]);
      if (all.size() > kAppListFieldCount) all.resize(kAppListFieldCount);
      std::string_view views[kAppListFieldCount];
      int n = c.FieldViews(AppListId::AppList, i, views, scratch);
      EXPECT_EQ(Texts(views, views + n), all) << i;
    }
  };
  c.LoadAppLists();
  agree("read");
  c.SortAppLists(true);
  agree("sorted");
  c.BlankLines(AppListId::AppList, {0, 3});
  agree("blanked");
  ASSERT_TRUE(c.SaveAppList());
  agree("saved");
  c.ReplaceAppList(SjisLines({"z.prc,1,\"2\"\"\"", "y.prc,a,b,c,Games"}));
  agree("replaced");
  EXPECT_EQ(c.categories(), Texts{"Games"});
}

}  // namespace

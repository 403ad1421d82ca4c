#include "common/MessageBoxes.h"

#include <gtest/gtest.h>

#include "common/MessageTable.h"
#include "common/PlaceDialog.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;

TEST(MessageBoxesTest, CaptionsAndFormatting) {
  ScriptedPrompter p;
  p.expect(BoxKind::Info, Button::Ok)
      .expect(BoxKind::Error, Button::Ok)
      .expect(BoxKind::Confirm, Button::Yes)
      .expect(BoxKind::ConfirmCancel, Button::Cancel);
  EXPECT_EQ(InfoBox("%d 個のファイル", 3), Button::Ok);
  ErrorBox(MessageText(457), "a.prc", "b.prc");
  EXPECT_EQ(ConfirmBox("%u %s", 7u, "x"), Button::Yes);
  EXPECT_EQ(ConfirmCancelBox("?"), Button::Cancel);
  ASSERT_EQ(p.shown().size(), 4u);
  EXPECT_EQ(p.shown()[0].caption, "お知らせ");
  EXPECT_EQ(p.shown()[0].text, "3 個のファイル");
  EXPECT_EQ(p.shown()[1].caption, "エラー");
  EXPECT_EQ(p.shown()[1].text, "ファイルがコピーできません\n  a.prc\n  b.prc");
  EXPECT_EQ(p.shown()[2].caption, "確認");
  EXPECT_EQ(p.shown()[3].caption, "確認");
}

TEST(MessageBoxesTest, LongTextsAreCutAtACharacterBoundary) {
  std::string name(2000, 'a');
  std::string kana;
  for (int i = 0; i < 500; ++i) kana += "あ";
  std::string cut = FormatText("%s", kana.c_str());
  EXPECT_LT(cut.size(), 1024u);
  EXPECT_EQ(cut.size() % 3, 0u);  // no broken character
  EXPECT_EQ(FormatText("%s", name.c_str()).size(), 1023u);
}

TEST(MessageBoxesTest, HeadlessTakesTheDefaultButton) {
  HeadlessPrompter h;
  testing::internal::CaptureStderr();
  EXPECT_EQ(h.show(BoxKind::Confirm, "確認", "上書きしますか？"), Button::No);
  EXPECT_EQ(h.show(BoxKind::ConfirmCancel, "確認", "保存しますか？"), Button::Yes);
  EXPECT_EQ(h.show(BoxKind::Error, "エラー", "x"), Button::Ok);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("[確認] 上書きしますか？"), std::string::npos);
}

TEST(PlaceDialogTest, CentredAndKeptInsideTheWorkArea) {
  Rect work{0, 0, 1024, 768};
  EXPECT_EQ(PlaceDialog({100, 100, 600, 400}, work, 301, 201).x, 100 + 299 / 2);
  Point p = PlaceDialog({800, 600, 600, 400}, work, 300, 200);
  EXPECT_EQ(p.x, 1024 - 300);
  EXPECT_EQ(p.y, 768 - 200);
  p = PlaceDialog({-500, -500, 200, 100}, work, 300, 200);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
  // Halves truncate toward zero.
  EXPECT_EQ(PlaceDialog({100, 100, 100, 100}, work, 201, 201).x, 50);
}

// TfrmEye, the Glance viewer window: the text pane filling the window, a
// find bar (Ctrl+F, F3 for the next hit) below it. The form sees the keys
// before the pane: Esc closes, "c" switches between the Japanese and the
// Western font. A click on an address opens it through the shell.
#pragma once

#include <QDialog>
#include <string>

#include "viewer/GlanceCommand.h"
#include "widgets/qt/TextPane.h"

class QLabel;
class QLineEdit;

namespace kestrel {

class TfrmEye : public QDialog {
 public:
  explicit TfrmEye(QWidget* parent = nullptr);

  // Hands over what the command knows: file, HTML switch, fonts, place.
  void setRequest(const GlanceRequest& request);
  // Fills the pane (done when the window is first shown).
  void FormShow();

  TextPane* Editor1 = nullptr;
  // The find bar.
  QWidget* PnlFind = nullptr;
  QLineEdit* EdFind = nullptr;
  QLabel* LblFind = nullptr;

  const GlanceFont& currentFont() const { return font_; }
  // Opens the find bar with the field selected.
  void ShowFind();
  // Finds the field's pattern from the caret on; says the outcome in the bar.
  void FindNext();
  // The "c" key.
  void SwitchFont();
  // The window's place as the command stores it.
  Rect place() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void applyFont(const GlanceFont& font);
  void Editor1Click();

  GlanceRequest request_;
  GlanceFont font_;
  bool shown_ = false;
};

// Shows a viewer modally for the command; answers its place when it closed.
Rect ShowGlanceWindow(const GlanceRequest& request, QWidget* parent);

}  // namespace kestrel

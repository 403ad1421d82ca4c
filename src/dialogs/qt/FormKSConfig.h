// The configuration dialog's window: five pages over KSConfig, a user combo
// and OK, キャンセル and ヘルプ(&H) at the bottom. Every control shows a value
// of the logic and hands its changes back; the logic's rules decide.
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/KSConfig.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTabWidget;

namespace kestrel {

class TFormKSConfig : public QDialog {
 public:
  TFormKSConfig(std::vector<std::unique_ptr<UserInfo>>& users, int userIndex,
                std::vector<std::string> phoneBook, QWidget* parent = nullptr);
  ~TFormKSConfig() override;

  KSConfig& logic() { return logic_; }
  QTabWidget* pages() const { return pages_; }
  // The placeholder menu of the ">>" buttons.
  QMenu* placeholderMenu() const { return placeholders_; }
  // Puts the logic's values into the controls.
  void Refresh();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* CreateHandlerPage();
  QWidget* CreateTextPage();
  QWidget* CreateBehaviourPage();
  QWidget* CreateConnectionPage();
  QWidget* CreateGlancePage();
  void CreatePlaceholderMenu();

  QCheckBox* Check(const char* name, const char* text, bool ConfigValues::*member);
  QLineEdit* Edit(const char* name, std::string ConfigValues::*member);
  QLineEdit* EntryEdit(const char* name, std::string EntryFields::*member);
  QCheckBox* EntryCheck(const char* name, const char* text, bool EntryFields::*member);
  QPushButton* Button(const char* name, const char* text, void (TFormKSConfig::*handler)());
  QButtonGroup* Conversion(QWidget* page, const char* title, int ConfigValues::*member, QWidget** box);

  // Runs a logic operation of the extension page, then shows its result.
  void Page(void (ExtensionPage::*op)());
  void BtnAddClick() { Page(&ExtensionPage::Add); }
  void BtnChangeClick() { Page(&ExtensionPage::Change); }
  void BtnClearClick() { Page(&ExtensionPage::Clear); }
  void BtnDeleteClick() { Page(&ExtensionPage::Delete); }
  void BtnUpClick() { Page(&ExtensionPage::Up); }
  void BtnDownClick() { Page(&ExtensionPage::Down); }
  void BtnSetRegExtClick() { Page(&ExtensionPage::Associate); }
  void BtnResetRegExtClick() { Page(&ExtensionPage::Unassociate); }
  void BtnGoClick() { Page(&ExtensionPage::Go); }
  void BtnPathClick();
  void BtnWorkDirClick();
  void BtnOptionClick();
  void BtnRestOptionClick();
  void BtnDefault1Click();
  void BtnDefault2Click();
  void BtnJpFontClick();
  void BtnEnFontClick();
  void BtnDeleteOldClick();
  void BtnOKClick();
  void BtnHelpClick();
  void LstBExtChange(int row);
  void CmbBUserChange(int index);
  void InsertPlaceholder(const QString& placeholder);
  void ShowIcon();
  void UpdateEnabling();
  void ApplySampleFonts();

  KSConfig logic_;
  bool syncing_ = false;
  std::vector<std::function<void()>> refreshers_;
  QTabWidget* pages_ = nullptr;
  QListWidget* extList_ = nullptr;
  QComboBox* installMode_ = nullptr;
  QGroupBox* programGroup_ = nullptr;
  QLineEdit* option_ = nullptr;
  QLineEdit* restOption_ = nullptr;
  QLineEdit* confOption_ = nullptr;
  QPushButton* optionBtn_ = nullptr;
  QPushButton* restOptionBtn_ = nullptr;
  QPushButton* goBtn_ = nullptr;
  QPushButton *add_ = nullptr, *change_ = nullptr, *delete_ = nullptr, *up_ = nullptr, *down_ = nullptr,
              *associate_ = nullptr, *unassociate_ = nullptr;
  QLabel* icon_ = nullptr;
  QMenu* placeholders_ = nullptr;
  QCheckBox* backupArchive_ = nullptr;
  QCheckBox* trim_ = nullptr;
  QLineEdit* proxy_ = nullptr;
  QLineEdit* proxyPort_ = nullptr;
  QComboBox* ras_ = nullptr;
  QCheckBox* disconnect_ = nullptr;
  QCheckBox* askDisconnect_ = nullptr;
  QLabel* jpSample_ = nullptr;
  QLabel* enSample_ = nullptr;
  QComboBox* users_ = nullptr;
  QWidget* glancePage_ = nullptr;
};

}  // namespace kestrel

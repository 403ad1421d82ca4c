#include "dialogs/qt/FormKSConfig.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/Paths.h"
#include "common/Translate.h"
#include "dialogs/qt/DialogHooks.h"
#include "dialogs/qt/ProgramIcon.h"
#include "users/UserInfo.h"
#include "common/qt/QtTranslate.h"

namespace kestrel {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

constexpr const char* kJpSample = QT_TRANSLATE_NOOP("Kestrel", "日本語文字セット用サンプルテキスト");
constexpr const char* kEnSample = "Sample Text for ANSI Charset";

}  // namespace

TFormKSConfig::TFormKSConfig(std::vector<std::unique_ptr<UserInfo>>& users, int userIndex,
                             std::vector<std::string> phoneBook, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      logic_(users, userIndex, std::move(phoneBook)) {
  setWindowTitle(QT_TRANSLATE_NOOP("Kestrel", "Kestrel+ の設定"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  pages_ = new QTabWidget(this);
  pages_->addTab(CreateHandlerPage(), QT_TRANSLATE_NOOP("Kestrel", "連携"));
  pages_->addTab(CreateTextPage(), QT_TRANSLATE_NOOP("Kestrel", "テキスト整形"));
  pages_->addTab(CreateBehaviourPage(), QT_TRANSLATE_NOOP("Kestrel", "動作"));
  pages_->addTab(CreateConnectionPage(), QT_TRANSLATE_NOOP("Kestrel", "接続"));
  glancePage_ = CreateGlancePage();
  pages_->addTab(glancePage_, "Glancer");
  pages_->tabBar()->installEventFilter(this);
  layout->addWidget(pages_);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "ユーザ :"), this));
  users_ = new QComboBox(this);
  users_->setObjectName("CmbBUser");
  for (const std::string& name : logic_.UserNames()) users_->addItem(Q(name));
  users_->setCurrentIndex(logic_.userIndex());
  connect(users_, &QComboBox::activated, this, &TFormKSConfig::CmbBUserChange);
  bottom->addWidget(users_, 1);
  auto* ok = Button("BtnOK", "OK", &TFormKSConfig::BtnOKClick);
  ok->setDefault(true);
  bottom->addWidget(ok);
  bottom->addWidget(Button("BtnCancel", QT_TRANSLATE_NOOP("Kestrel", "キャンセル"), &QDialog::reject));
  bottom->addWidget(Button("BtnHelp", QT_TRANSLATE_NOOP("Kestrel", "ヘルプ(&H)"), &TFormKSConfig::BtnHelpClick));
  layout->addLayout(bottom);

  CreatePlaceholderMenu();
  Refresh();
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

TFormKSConfig::~TFormKSConfig() = default;

// --- building blocks: a control bound to a value of the logic

QCheckBox* TFormKSConfig::Check(const char* name, const char* text, bool ConfigValues::*member) {
  auto* box = new QCheckBox(Ui(text), this);
  box->setObjectName(name);
  connect(box, &QCheckBox::toggled, this, [this, member](bool on) {
    if (syncing_) return;
    logic_.values().*member = on;
    UpdateEnabling();
  });
  refreshers_.push_back([this, box, member] { box->setChecked(logic_.values().*member); });
  return box;
}

QLineEdit* TFormKSConfig::Edit(const char* name, std::string ConfigValues::*member) {
  auto* edit = new QLineEdit(this);
  edit->setObjectName(name);
  connect(edit, &QLineEdit::textChanged, this, [this, member](const QString& text) {
    if (!syncing_) logic_.values().*member = S(text);
  });
  refreshers_.push_back([this, edit, member] {
    if (edit->text() != Q(logic_.values().*member)) edit->setText(Q(logic_.values().*member));
  });
  return edit;
}

QLineEdit* TFormKSConfig::EntryEdit(const char* name, std::string EntryFields::*member) {
  auto* edit = new QLineEdit(this);
  edit->setObjectName(name);
  connect(edit, &QLineEdit::textChanged, this, [this, member](const QString& text) {
    if (!syncing_) logic_.handlers().fields().*member = S(text);
  });
  refreshers_.push_back([this, edit, member] {
    const std::string& v = logic_.handlers().fields().*member;
    if (edit->text() != Q(v)) edit->setText(Q(v));
  });
  return edit;
}

QCheckBox* TFormKSConfig::EntryCheck(const char* name, const char* text, bool EntryFields::*member) {
  auto* box = new QCheckBox(Ui(text), this);
  box->setObjectName(name);
  connect(box, &QCheckBox::toggled, this, [this, member](bool on) {
    if (syncing_) return;
    logic_.handlers().fields().*member = on;
    UpdateEnabling();
  });
  refreshers_.push_back([this, box, member] { box->setChecked(logic_.handlers().fields().*member); });
  return box;
}

QPushButton* TFormKSConfig::Button(const char* name, const char* text, void (TFormKSConfig::*handler)()) {
  auto* button = new QPushButton(Ui(text), this);
  button->setObjectName(name);
  button->setAutoDefault(false);
  connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
  return button;
}

QButtonGroup* TFormKSConfig::Conversion(QWidget* page, const char* title, int ConfigValues::*member,
                                        QWidget** boxOut) {
  auto* box = new QGroupBox(Ui(title), page);
  auto* layout = new QVBoxLayout(box);
  auto* group = new QButtonGroup(box);
  const char* texts[] = {QT_TRANSLATE_NOOP("Kestrel", "何もしない"), QT_TRANSLATE_NOOP("Kestrel", "全角に変換"), QT_TRANSLATE_NOOP("Kestrel", "半角に変換")};
  for (int i = 0; i < 3; ++i) {
    auto* radio = new QRadioButton(QString::fromUtf8(texts[i]), box);
    group->addButton(radio, i);
    layout->addWidget(radio);
  }
  connect(group, &QButtonGroup::idToggled, this, [this, member](int id, bool on) {
    if (on && !syncing_) logic_.values().*member = id;
  });
  refreshers_.push_back([this, group, member] {
    if (QAbstractButton* b = group->button(logic_.values().*member)) b->setChecked(true);
  });
  *boxOut = box;
  return group;
}

// --- pages

QWidget* TFormKSConfig::CreateHandlerPage() {
  auto* page = new QWidget(this);
  auto* grid = new QGridLayout(page);
  extList_ = new QListWidget(page);
  extList_->setObjectName("LstBExt");
  connect(extList_, &QListWidget::currentRowChanged, this, &TFormKSConfig::LstBExtChange);
  grid->addWidget(extList_, 0, 0, 4, 1);

  auto* top = new QGridLayout;
  top->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "拡張子 :"), page), 0, 0);
  auto* ext = new QLineEdit(page);
  ext->setObjectName("EdExt");
  connect(ext, &QLineEdit::textEdited, this, [this](const QString& t) { logic_.handlers().ExtensionTyped(S(t)); });
  refreshers_.push_back([this, ext] {
    if (ext->text() != Q(logic_.handlers().fields().extension)) ext->setText(Q(logic_.handlers().fields().extension));
  });
  top->addWidget(ext, 0, 1);
  top->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "インストール :"), page), 1, 0);
  installMode_ = new QComboBox(page);
  installMode_->setObjectName("CmbBInstMode");
  for (int i = 0; i < kInstallModeCount; ++i) installMode_->addItem(InstallModeText(static_cast<TInstallMode>(i)));
  connect(installMode_, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!syncing_ && i >= 0) logic_.handlers().fields().installMode = static_cast<TInstallMode>(i);
  });
  refreshers_.push_back([this] { installMode_->setCurrentIndex(static_cast<int>(logic_.handlers().fields().installMode)); });
  top->addWidget(installMode_, 1, 1);
  top->addWidget(EntryCheck("ChkBUseExchangeProg", QT_TRANSLATE_NOOP("Kestrel", "プログラム連携を利用する"), &EntryFields::useExApp), 2, 0, 1, 2);
  grid->addLayout(top, 0, 1);

  programGroup_ = new QGroupBox(QT_TRANSLATE_NOOP("Kestrel", "連携の設定"), page);
  auto* g = new QGridLayout(programGroup_);
  g->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "タイトル :"), programGroup_), 0, 0);
  g->addWidget(EntryEdit("EdTitle", &EntryFields::title), 0, 1);
  g->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "プログラム :"), programGroup_), 1, 0);
  QLineEdit* path = EntryEdit("EdPath", &EntryFields::path);
  connect(path, &QLineEdit::textChanged, this, &TFormKSConfig::ShowIcon);
  g->addWidget(path, 1, 1);
  g->addWidget(Button("BtnPath", "...", &TFormKSConfig::BtnPathClick), 1, 2);
  g->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "作業フォルダ :"), programGroup_), 2, 0);
  g->addWidget(EntryEdit("EdWorkDir", &EntryFields::workDir), 2, 1);
  g->addWidget(Button("BtnWorkDir", "...", &TFormKSConfig::BtnWorkDirClick), 2, 2);
  g->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "オプション :"), programGroup_), 3, 0);
  option_ = EntryEdit("EdOption", &EntryFields::option);
  g->addWidget(option_, 3, 1);
  optionBtn_ = Button("BtnOption", ">>", &TFormKSConfig::BtnOptionClick);
  g->addWidget(optionBtn_, 3, 2);
  g->addWidget(EntryCheck("ChkBUseRestore", QT_TRANSLATE_NOOP("Kestrel", "復元を利用 :"), &EntryFields::useRestore), 4, 0);
  restOption_ = EntryEdit("EdRestOption", &EntryFields::restOption);
  g->addWidget(restOption_, 4, 1);
  restOptionBtn_ = Button("BtnRestOption", ">>", &TFormKSConfig::BtnRestOptionClick);
  g->addWidget(restOptionBtn_, 4, 2);
  g->addWidget(EntryCheck("ChkBUseConfig", QT_TRANSLATE_NOOP("Kestrel", "設定を利用 :"), &EntryFields::useConfig), 5, 0);
  confOption_ = EntryEdit("EdConfOption", &EntryFields::confOption);
  g->addWidget(confOption_, 5, 1);
  goBtn_ = Button("BtnGo", "Go!", &TFormKSConfig::BtnGoClick);
  g->addWidget(goBtn_, 5, 2);
  g->addWidget(EntryCheck("ChkBUseExText", QT_TRANSLATE_NOOP("Kestrel", "テキスト整形を使用する"), &EntryFields::useExText), 6, 0, 1, 2);
  g->addWidget(EntryCheck("ChkBExShowWindow", QT_TRANSLATE_NOOP("Kestrel", "ウィンドウを表示する"), &EntryFields::showWindow), 7, 0, 1, 2);
  icon_ = new QLabel(programGroup_);
  icon_->setObjectName("ImgIcon");
  icon_->setFixedSize(36, 36);
  icon_->setFrameShape(QFrame::StyledPanel);
  g->addWidget(icon_, 6, 2, 2, 1);
  grid->addWidget(programGroup_, 1, 1);

  auto* buttons = new QGridLayout;
  add_ = Button("BtnAdd", QT_TRANSLATE_NOOP("Kestrel", "追加(&A)"), &TFormKSConfig::BtnAddClick);
  change_ = Button("BtnChange", QT_TRANSLATE_NOOP("Kestrel", "変更(&R)"), &TFormKSConfig::BtnChangeClick);
  delete_ = Button("BtnDelete", QT_TRANSLATE_NOOP("Kestrel", "削除(&D)"), &TFormKSConfig::BtnDeleteClick);
  up_ = Button("BtnUp", QT_TRANSLATE_NOOP("Kestrel", "上へ(&U)"), &TFormKSConfig::BtnUpClick);
  down_ = Button("BtnDown", QT_TRANSLATE_NOOP("Kestrel", "下へ(&W)"), &TFormKSConfig::BtnDownClick);
  associate_ = Button("BtnSetRegExt", QT_TRANSLATE_NOOP("Kestrel", "関連付け"), &TFormKSConfig::BtnSetRegExtClick);
  unassociate_ = Button("BtnResetRegExt", QT_TRANSLATE_NOOP("Kestrel", "関連解除"), &TFormKSConfig::BtnResetRegExtClick);
  QPushButton* clear = Button("BtnClear", QT_TRANSLATE_NOOP("Kestrel", "クリア(&C)"), &TFormKSConfig::BtnClearClick);
  QPushButton* all[] = {add_, change_, clear, delete_, up_, down_, associate_, unassociate_};
  for (int i = 0; i < 8; ++i) buttons->addWidget(all[i], i / 4, i % 4);
  grid->addLayout(buttons, 2, 1);
  return page;
}

QWidget* TFormKSConfig::CreateTextPage() {
  auto* page = new QWidget(this);
  auto* v = new QVBoxLayout(page);
  auto* radios = new QHBoxLayout;
  QWidget* box = nullptr;
  Conversion(page, QT_TRANSLATE_NOOP("Kestrel", "カナ"), &ConfigValues::convKana, &box);
  radios->addWidget(box);
  Conversion(page, QT_TRANSLATE_NOOP("Kestrel", "英数"), &ConfigValues::convAlpha, &box);
  radios->addWidget(box);
  Conversion(page, QT_TRANSLATE_NOOP("Kestrel", "ユーザ定義１"), &ConfigValues::convUser1, &box);
  radios->addWidget(box);
  Conversion(page, QT_TRANSLATE_NOOP("Kestrel", "ユーザ定義２"), &ConfigValues::convUser2, &box);
  radios->addWidget(box);
  v->addLayout(radios);
  trim_ = Check("ChkBTrim", QT_TRANSLATE_NOOP("Kestrel", "行頭、行尾の空白を除去する"), &ConfigValues::trim);
  v->addWidget(trim_);
  v->addWidget(Check("ChkBMargeLine", QT_TRANSLATE_NOOP("Kestrel", "行を段落（？）で連結する"), &ConfigValues::margeLine));
  auto* sets = new QGridLayout;
  sets->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "半角１ : "), page), 0, 0);
  sets->addWidget(Edit("EdHanUserDef1", &ConfigValues::han1), 0, 1);
  sets->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "全角１ : "), page), 1, 0);
  sets->addWidget(Edit("EdZenUserDef1", &ConfigValues::zen1), 1, 1);
  sets->addWidget(Button("BtnDefault1", QT_TRANSLATE_NOOP("Kestrel", "初期値"), &TFormKSConfig::BtnDefault1Click), 0, 2, 2, 1);
  sets->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "半角２ : "), page), 2, 0);
  sets->addWidget(Edit("EdHanUserDef2", &ConfigValues::han2), 2, 1);
  sets->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "全角２ : "), page), 3, 0);
  sets->addWidget(Edit("EdZenUserDef2", &ConfigValues::zen2), 3, 1);
  sets->addWidget(Button("BtnDefault2", QT_TRANSLATE_NOOP("Kestrel", "初期値"), &TFormKSConfig::BtnDefault2Click), 2, 2, 2, 1);
  v->addLayout(sets);
  v->addStretch();
  return page;
}

QWidget* TFormKSConfig::CreateBehaviourPage() {
  auto* page = new QWidget(this);
  auto* v = new QVBoxLayout(page);
  v->addWidget(Check("ChkBBackup", QT_TRANSLATE_NOOP("Kestrel", "自動的にバックアップを作成する"), &ConfigValues::backup));
  v->addWidget(Check("ChkBAskDelete", QT_TRANSLATE_NOOP("Kestrel", "ファイルの削除時に確認する"), &ConfigValues::askDelete));
  v->addWidget(Check("ChkBBackupFlag", QT_TRANSLATE_NOOP("Kestrel", "ファイルの上書き時に確認する"), &ConfigValues::backupFlag));
  v->addWidget(Check("ChkBRestoreBackup", QT_TRANSLATE_NOOP("Kestrel", "復元時にバックアップ( .bak)を作成する"), &ConfigValues::restoreBackup));
  backupArchive_ = Check("ChkBBackupArchive", QT_TRANSLATE_NOOP("Kestrel", "アーカイブファイルをバックアップ"), &ConfigValues::backupArchive);
  v->addWidget(backupArchive_);
  v->addWidget(Check("ChkBExecHotSync", QT_TRANSLATE_NOOP("Kestrel", "起動時に HotSyncManagerを起動する"), &ConfigValues::execHotSync));
  v->addWidget(Check("ChkBExitHotSync", QT_TRANSLATE_NOOP("Kestrel", "終了時に HotSyncManagerを停止する"), &ConfigValues::exitHotSync));
  v->addWidget(Check("ChkBUSBSwitcher", QT_TRANSLATE_NOOP("Kestrel", "USB Switcherも対象にする"), &ConfigValues::usbSwitcher));
  v->addWidget(Check("ChkBShowTitle", QT_TRANSLATE_NOOP("Kestrel", "Palmwareのタイトルを表示する"), &ConfigValues::showTitle));
  v->addWidget(Check("ChkBNoInfo", QT_TRANSLATE_NOOP("Kestrel", "簡易説明を表示する"), &ConfigValues::noInfo));
  v->addWidget(Check("ChkBShowArchiveFolder", QT_TRANSLATE_NOOP("Kestrel", "バックアップフォルダでアーカイブ"), &ConfigValues::showArchiveFolder));
  v->addWidget(Check("ChkBShowWindow", QT_TRANSLATE_NOOP("Kestrel", "関連付け起動でウィンドウを表示する"), &ConfigValues::showWindow));
  v->addWidget(Check("ChkBGoArchiveFolder", QT_TRANSLATE_NOOP("Kestrel", "仮想フォルダ作成時に選択する"), &ConfigValues::goArchiveFolder));
  auto* row = new QHBoxLayout;
  // The program's, not the user's: it takes effect at the next start.
  row->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "表示言語（次回起動時から） :"), page));
  auto* language = new QComboBox(page);
  language->setObjectName("CmbBLanguage");
  for (const LanguageItem& item : kLanguageItems) language->addItem(Ui(item.caption));
  connect(language, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!syncing_) logic_.values().language = i;
  });
  refreshers_.push_back([this, language] { language->setCurrentIndex(logic_.values().language); });
  row->addWidget(language);
  row->addStretch();
  row->addWidget(Button("BtnDeleteOld", QT_TRANSLATE_NOOP("Kestrel", "古バージョン情報の削除"), &TFormKSConfig::BtnDeleteOldClick));
  v->addLayout(row);
  return page;
}

QWidget* TFormKSConfig::CreateConnectionPage() {
  auto* page = new QWidget(this);
  auto* g = new QGridLayout(page);
  g->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "AppListのURL :"), page), 0, 0);
  g->addWidget(Edit("EdAppListURL", &ConfigValues::appListUrl), 0, 1, 1, 3);
  g->addWidget(Check("ChkBUseProxy", QT_TRANSLATE_NOOP("Kestrel", "プロキシサーバを使用する"), &ConfigValues::useProxy), 1, 0, 1, 4);
  g->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "アドレス:"), page), 2, 0);
  proxy_ = Edit("EdProxy", &ConfigValues::proxy);
  g->addWidget(proxy_, 2, 1);
  g->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "ポート :"), page), 2, 2);
  proxyPort_ = Edit("EdProxyPort", &ConfigValues::proxyPort);
  g->addWidget(proxyPort_, 2, 3);
  g->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "接続先 :"), page), 3, 0);
  ras_ = new QComboBox(page);
  ras_->setObjectName("CmbBRasName");
  for (const std::string& item : logic_.values().rasItems) ras_->addItem(Q(item));
  connect(ras_, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (syncing_) return;
    logic_.values().rasIndex = i;
    UpdateEnabling();
  });
  refreshers_.push_back([this] { ras_->setCurrentIndex(logic_.values().rasIndex); });
  g->addWidget(ras_, 3, 1, 1, 3);
  disconnect_ = Check("ChkBDisconnect", QT_TRANSLATE_NOOP("Kestrel", "終了時に切断する"), &ConfigValues::disconnect);
  askDisconnect_ = Check("ChkBAskDisconnect", QT_TRANSLATE_NOOP("Kestrel", "切断時に確認する"), &ConfigValues::askDisconnect);
  g->addWidget(disconnect_, 4, 1, 1, 3);
  g->addWidget(askDisconnect_, 5, 1, 1, 3);
  g->setRowStretch(6, 1);
  return page;
}

QWidget* TFormKSConfig::CreateGlancePage() {
  auto* page = new QWidget(this);
  auto* v = new QVBoxLayout(page);
  v->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "注意！　Glancer機能は正式サポート機能ではありません。"), page));
  v->addWidget(Check("ChkBGlanceViewOnDClk", QT_TRANSLATE_NOOP("Kestrel", "アーカイブフォルダでのダブルクリックは、Glancerで表示する"),
                     &ConfigValues::glanceViewOnDClk));
  v->addWidget(Check("ChkBGlanceHTMLConv", QT_TRANSLATE_NOOP("Kestrel", "HTMLの解析を行う（あまり真面目にやってないので変なとこもあるかも・・・）"),
                     &ConfigValues::glanceHtmlConv));
  auto* fonts = new QGroupBox(QT_TRANSLATE_NOOP("Kestrel", "フォントの指定（固定ピッチのみ選択可能）"), page);
  auto* g = new QGridLayout(fonts);
  g->addWidget(Button("BtnJpFont", QT_TRANSLATE_NOOP("Kestrel", "日本語"), &TFormKSConfig::BtnJpFontClick), 0, 0);
  jpSample_ = new QLabel(kJpSample, fonts);
  jpSample_->setObjectName("PnlJpSample");
  jpSample_->setFrameShape(QFrame::Panel);
  g->addWidget(jpSample_, 0, 1);
  g->addWidget(Button("BtnEnFont", QT_TRANSLATE_NOOP("Kestrel", "英語"), &TFormKSConfig::BtnEnFontClick), 1, 0);
  enSample_ = new QLabel(kEnSample, fonts);
  enSample_->setObjectName("PnlEnSample");
  enSample_->setFrameShape(QFrame::Panel);
  g->addWidget(enSample_, 1, 1);
  v->addWidget(fonts);
  v->addWidget(Check("ChkBGlanceSavePos", QT_TRANSLATE_NOOP("Kestrel", "終了時の位置とサイズを保存する"), &ConfigValues::glanceSavePos));
  v->addStretch();
  return page;
}

void TFormKSConfig::CreatePlaceholderMenu() {
  placeholders_ = new QMenu(this);
  placeholders_->setObjectName("PopupPlaceholders");
  const std::pair<const char*, const char*> items[] = {
      {"$P", QT_TRANSLATE_NOOP("Kestrel", "フルパス名")}, {"$O", QT_TRANSLATE_NOOP("Kestrel", "フォルダ名")}, {"$F", QT_TRANSLATE_NOOP("Kestrel", "ファイル名")}, {"$N", QT_TRANSLATE_NOOP("Kestrel", "ファイル名(拡張子なし)")},
      {"$E", QT_TRANSLATE_NOOP("Kestrel", "拡張子")}, {nullptr, nullptr},
      {"$p", QT_TRANSLATE_NOOP("Kestrel", "短いフルパス名")}, {"$o", QT_TRANSLATE_NOOP("Kestrel", "短いフォルダ名")}, {"$f", QT_TRANSLATE_NOOP("Kestrel", "短いファイル名")},
      {"$n", QT_TRANSLATE_NOOP("Kestrel", "短いファイル名(拡張子なし)")}, {"$e", QT_TRANSLATE_NOOP("Kestrel", "短い拡張子")}, {nullptr, nullptr},
      {"$I", QT_TRANSLATE_NOOP("Kestrel", "インストールフォルダ")}, {"$i", QT_TRANSLATE_NOOP("Kestrel", "短いインストールフォルダ")}};
  for (const auto& [code, text] : items) {
    if (!code) {
      placeholders_->addSeparator();
      continue;
    }
    QAction* a = placeholders_->addAction(QString("%1  %2").arg(code, Ui(text)));
    a->setData(QString(code));
    connect(a, &QAction::triggered, this, [this, a] { InsertPlaceholder(a->data().toString()); });
  }
  for (auto [button, field] : {std::pair{optionBtn_, OptionField::Install}, std::pair{restOptionBtn_, OptionField::Restore}}) {
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(button, &QWidget::customContextMenuRequested, this, [this, button, field](const QPoint& at) {
      logic_.handlers().setLastOptionField(field);
      placeholders_->popup(button->mapToGlobal(at));
    });
  }
}

// --- showing the logic

void TFormKSConfig::Refresh() {
  syncing_ = true;
  std::vector<std::string> texts = logic_.handlers().ListTexts();
  bool same = extList_->count() == static_cast<int>(texts.size());
  for (int i = 0; same && i < extList_->count(); ++i) same = extList_->item(i)->text() == Q(texts[i]);
  if (!same) {
    extList_->clear();
    for (const std::string& t : texts) extList_->addItem(Q(t));
  }
  extList_->setCurrentRow(logic_.handlers().selected());
  for (auto& refresh : refreshers_) refresh();
  users_->setCurrentIndex(logic_.userIndex());
  pages_->setTabVisible(static_cast<int>(ConfigPage::Glance), logic_.values().glanceVisible);
  syncing_ = false;
  ApplySampleFonts();
  ShowIcon();
  UpdateEnabling();
}

void TFormKSConfig::UpdateEnabling() {
  const ExtensionPage& page = logic_.handlers();
  programGroup_->setEnabled(page.ProgramGroupEnabled());
  restOption_->setEnabled(page.RestoreOptionEnabled());
  restOptionBtn_->setEnabled(page.RestoreOptionEnabled());
  confOption_->setEnabled(page.ConfigOptionEnabled());
  goBtn_->setEnabled(page.ConfigOptionEnabled());
  ExtensionButtons b = page.Buttons();
  change_->setEnabled(b.change);
  delete_->setEnabled(b.remove);
  up_->setEnabled(b.up);
  down_->setEnabled(b.down);
  associate_->setEnabled(b.associate);
  unassociate_->setEnabled(b.unassociate);
  ConfigEnabling e = logic_.Enabling();
  backupArchive_->setEnabled(e.backupArchive);
  trim_->setEnabled(e.trim);
  proxy_->setEnabled(e.proxyFields);
  proxyPort_->setEnabled(e.proxyFields);
  disconnect_->setEnabled(e.hangUpChecks);
  askDisconnect_->setEnabled(e.hangUpChecks);
}

void TFormKSConfig::ShowIcon() {
  QIcon icon = ProgramIcon(logic_.handlers().fields().path);
  icon_->setPixmap(icon.isNull() ? QPixmap() : icon.pixmap(32, 32));
}

void TFormKSConfig::ApplySampleFonts() {
  const ConfigValues& v = logic_.values();
  QFont jp = jpSample_->font(), en = enSample_->font();
  jp.setStyleHint(QFont::TypeWriter);
  en.setStyleHint(QFont::TypeWriter);
  if (!v.jpFontName.empty()) jp.setFamily(Q(v.jpFontName));
  if (!v.enFontName.empty()) en.setFamily(Q(v.enFontName));
  if (v.jpFontSize > 0) jp.setPointSize(v.jpFontSize);
  if (v.enFontSize > 0) en.setPointSize(v.enFontSize);
  jpSample_->setFont(jp);
  enSample_->setFont(en);
}

// --- events

bool TFormKSConfig::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pages_->tabBar() && event->type() == QEvent::MouseButtonPress) {
    auto* press = static_cast<QMouseEvent*>(event);
    int asked = pages_->tabBar()->tabAt(press->position().toPoint());
    if (asked >= 0 && (press->modifiers() & Qt::ControlModifier)) {
      ConfigPage shown = logic_.PageRequested(static_cast<ConfigPage>(asked), true);
      pages_->setTabVisible(static_cast<int>(ConfigPage::Glance), logic_.values().glanceVisible);
      pages_->setCurrentIndex(static_cast<int>(shown));
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TFormKSConfig::Page(void (ExtensionPage::*op)()) {
  (logic_.handlers().*op)();
  Refresh();
}

void TFormKSConfig::LstBExtChange(int row) {
  if (syncing_ || row < 0) return;
  logic_.handlers().Select(row);
  Refresh();
}

void TFormKSConfig::CmbBUserChange(int index) {
  logic_.UserChanged(index);
  Refresh();
}

void TFormKSConfig::BtnPathClick() {
  std::string path = logic_.handlers().fields().path;
  if (auto file = ChooseProgramFile(path.empty() ? "" : FolderOf(path))) {
    logic_.handlers().ProgramChosen(*file);
    Refresh();
  }
}

void TFormKSConfig::BtnWorkDirClick() {
  if (auto folder = ChooseDialogFolder(logic_.handlers().fields().workDir, "")) {
    logic_.handlers().fields().workDir = *folder;
    Refresh();
  }
}

void TFormKSConfig::BtnOptionClick() {
  logic_.handlers().ApplyPreset(OptionField::Install);
  Refresh();
}

void TFormKSConfig::BtnRestOptionClick() {
  logic_.handlers().ApplyPreset(OptionField::Restore);
  Refresh();
}

void TFormKSConfig::InsertPlaceholder(const QString& placeholder) {
  QLineEdit* edit = logic_.handlers().lastOptionField() == OptionField::Restore ? restOption_ : option_;
  edit->insert(placeholder);  // at the caret, which ends up behind it
  edit->setFocus();
}

void TFormKSConfig::BtnDefault1Click() {
  logic_.DefaultSet(1);
  Refresh();
}

void TFormKSConfig::BtnDefault2Click() {
  logic_.DefaultSet(2);
  Refresh();
}

void TFormKSConfig::BtnJpFontClick() {
  if (auto font = ChooseFixedFont(jpSample_->font())) {
    ConfigValues& v = logic_.values();
    v.jpFontName = S(font->family());
    v.jpFontSize = font->pointSize();
    v.jpFontKnown = true;
    ApplySampleFonts();
  }
}

void TFormKSConfig::BtnEnFontClick() {
  if (auto font = ChooseFixedFont(enSample_->font())) {
    ConfigValues& v = logic_.values();
    v.enFontName = S(font->family());
    v.enFontSize = font->pointSize();
    v.enFontKnown = true;
    ApplySampleFonts();
  }
}

void TFormKSConfig::BtnDeleteOldClick() { logic_.DeleteOldVersionInfo(); }

void TFormKSConfig::BtnOKClick() {
  bool ok = logic_.Ok();
  Refresh();
  if (ok) accept();
}

void TFormKSConfig::BtnHelpClick() {
  int topic = KSConfig::HelpTopic(static_cast<ConfigPage>(pages_->currentIndex()));
  if (topic > 0) OpenHelpTopic(topic);
}

}  // namespace kestrel

#include "dialogs/ExtensionPage.h"

#include "common/MessageBoxes.h"
#include "common/Paths.h"
#include "common/Translate.h"
#include "handlers/Associations.h"
#include "handlers/QueueThroughHandler.h"

namespace kestrel {
namespace {

constexpr const char* kAskApply = QT_TRANSLATE_NOOP("Kestrel", "%s は変更されています。反映しますか？");

void ToFields(const ExtHandler& e, EntryFields& f) {
  f.extension = e.Extension;
  f.useExApp = e.UseExApp;
  f.title = e.Title;
  f.path = e.Path;
  f.workDir = e.WorkDir;
  f.option = e.Option;
  f.useRestore = e.UseRestore;
  f.restOption = e.RestOption;
  f.useConfig = e.UseConfig;
  f.confOption = e.ConfOption;
  f.useExText = e.UseExText;
  f.showWindow = e.ShowWindow;
  f.installMode = e.InstallMode;
}

}  // namespace

ExtensionPage::ExtensionPage() { table_.setSaveOnDestroy(false); }

void ExtensionPage::Load(const std::string& userName) {
  table_.clear();
  table_.LoadForUser(userName, false);
  loaded_ = Entries();
  selected_ = shown_ = -1;
  typed_ = false;
}

std::vector<std::string> ExtensionPage::ListTexts() const {
  std::vector<std::string> texts;
  for (int i = 0; i < table_.count(); ++i) texts.push_back(table_.get(i)->Extension);
  return texts;
}

std::vector<ExtHandler> ExtensionPage::Entries() const {
  std::vector<ExtHandler> entries;
  for (int i = 0; i < table_.count(); ++i) entries.push_back(*table_.get(i));
  return entries;
}

bool ExtensionPage::TableChanged() const { return Entries() != loaded_; }

void ExtensionPage::ExtensionTyped(const std::string& text) {
  fields_.extension = text;
  typed_ = true;
}

ExtHandler ExtensionPage::EntryFromFields() const {
  ExtHandler e;
  e.Extension = fields_.extension;
  e.UseExApp = fields_.useExApp;
  e.Title = fields_.title;
  e.Path = fields_.path;
  e.WorkDir = fields_.workDir;
  e.Option = fields_.option;
  e.UseRestore = fields_.useRestore;
  e.RestOption = fields_.restOption;
  e.UseConfig = fields_.useConfig;
  e.ConfOption = fields_.confOption;
  e.UseExText = fields_.useExText;
  e.ShowWindow = fields_.showWindow;
  e.InstallMode = fields_.installMode;
  return e;
}

bool ExtensionPage::Edited() const {
  if (typed_) return true;
  auto stored = table_.get(shown_);
  if (!stored) return false;
  ExtHandler now = EntryFromFields();
  now.Extension = stored->Extension;  // only typing changes the extension
  return !(now == *stored);
}

void ExtensionPage::Show(int index) {
  auto e = table_.get(index);
  selected_ = e ? index : -1;
  shown_ = selected_;
  if (e) ToFields(*e, fields_);
  typed_ = false;
}

void ExtensionPage::Select(int index) {
  if (shown_ >= 0 && shown_ != index && Edited()) {
    std::string ext = table_.get(shown_)->Extension;
    if (ConfirmBox(kAskApply, ext.c_str()) == Button::Yes) {
      selected_ = shown_;
      int before = table_.count();
      Change();
      // An entry added before the clicked one moves it down by one.
      if (table_.count() > before && selected_ <= index) ++index;
    }
  }
  Show(index);
}

void ExtensionPage::Reset() {
  selected_ = shown_ = -1;
  Clear();
  typed_ = false;
}

ExtensionButtons ExtensionPage::Buttons() const {
  int i = selected_, n = table_.count();
  ExtensionButtons b;
  // Without a selection there is nothing to act on.
  if (i < 0) return b;
  b.change = true;
  b.remove = i + 1 != n;
  b.up = i != 0 && i + 1 != n;
  b.down = i < n - 2;
  b.associate = b.unassociate = i <= n - 2;
  return b;
}

std::string ExtensionPage::DottedExtension() const {
  const std::string& ext = fields_.extension;
  // The catch-all's text is no extension to be dotted.
  if (ext.empty() || ext[0] == '.' || ext == kCatchAllExtension) return ext;
  return "." + ext;
}

bool ExtensionPage::CheckExtension(const std::string& ext) const {
  if (ext.empty()) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "拡張子を入力してください"));
    return false;
  }
  return true;
}

void ExtensionPage::Add() {
  if (fields_.extension == kCatchAllExtension) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "'%s'は追加できません"), fields_.extension.c_str());
    return;
  }
  if (!CheckExtension(fields_.extension)) return;
  fields_.extension = DottedExtension();
  int at = selected_ < 0 ? 0 : selected_;
  if (!table_.insert(at, EntryFromFields())) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "拡張子 '%s' は登録済みです"), fields_.extension.c_str());
    return;
  }
  Show(at);
}

void ExtensionPage::Change() {
  auto chosen = table_.get(selected_);
  if (chosen && chosen->Extension == kCatchAllExtension && fields_.extension != kCatchAllExtension) {
    if (ConfirmBox(QT_TRANSLATE_NOOP("Kestrel", "'%s'は変更できません。追加しますか？"), kCatchAllExtension) != Button::No) Add();
    return;
  }
  if (!CheckExtension(fields_.extension)) return;
  fields_.extension = DottedExtension();
  if (!chosen) {
    Add();
    return;
  }
  if (fields_.extension != chosen->Extension) {
    Button b = ConfirmCancelBox(
        QT_TRANSLATE_NOOP("Kestrel", "拡張子が変更されていますが、変更でよろしいですか？\n\n  はい：変更　いいえ：追加　キャンセル：中止"));
    if (b == Button::Cancel) return;
    if (b == Button::No) {
      Add();
      return;
    }
    // Two entries of one extension would leave the second unreachable.
    for (int i = 0; i < table_.count(); ++i) {
      if (i != selected_ && table_.get(i)->Extension == fields_.extension) {
        ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "拡張子 '%s' は登録済みです"), fields_.extension.c_str());
        return;
      }
    }
  }
  table_.put(selected_, EntryFromFields());
  Show(selected_);
}

void ExtensionPage::Clear() {
  std::string ext = fields_.extension;
  fields_ = EntryFields{};
  fields_.extension = ext;
}

void ExtensionPage::Delete() {
  int i = selected_;
  if (i < 0 || i + 1 >= table_.count() || !table_.remove(i)) return;
  Show(i < table_.count() ? i : i - 1);
}

void ExtensionPage::Up() {
  int i = selected_;
  if (!Buttons().up || !table_.exchange(i, i - 1)) return;
  if (shown_ == i) shown_ = i - 1;
  selected_ = i - 1;
}

void ExtensionPage::Down() {
  int i = selected_;
  if (!Buttons().down || !table_.exchange(i, i + 1)) return;
  if (shown_ == i) shown_ = i + 1;
  selected_ = i + 1;
}

void ExtensionPage::Associate() {
  if (Buttons().associate) AssociateEntry(table_, selected_);
}

void ExtensionPage::Unassociate() {
  if (Buttons().unassociate) RestoreEntry(table_, selected_);
}

void ExtensionPage::ProgramChosen(const std::string& file) {
  fields_.path = file;
  if (fields_.title.empty()) {
    std::string name = FileNameOf(file);
    auto dot = name.rfind('.');
    fields_.title = dot == std::string::npos ? "" : name.substr(0, dot);
  }
}

void ExtensionPage::ApplyPreset(OptionField field, const std::string& iniFile) {
  lastOption_ = field;
  ExtHandler e = EntryFromFields();
  if (field == OptionField::Install) {
    if (!ApplyInstallPreset(fields_.path, e, iniFile)) return;
    fields_.option = e.Option;
    fields_.installMode = e.InstallMode;
  } else {
    if (!ApplyRestorePreset(fields_.path, e, iniFile)) return;
    fields_.restOption = e.RestOption;
  }
}

void ExtensionPage::Go() {
  if (!LaunchSettings(EntryFromFields())) ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "%s が実行できません。"), fields_.title.c_str());
}

}  // namespace kestrel

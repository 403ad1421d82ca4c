// The configuration dialog's "連携" page without widgets: the working copy
// of a user's handler table, the fields of the entry on show, and every
// button of the page with its enabling rule, question and error.
#pragma once

#include <string>
#include <vector>

#include "handlers/table/ExtHandlerTable.h"

namespace kestrel {

// What the page's controls hold. `extension` is the field "拡張子 :"; the
// rest are the program fields and checks.
struct EntryFields {
  std::string extension;
  bool useExApp = false;  // ChkBUseExchangeProg
  std::string title;
  std::string path;
  std::string workDir;
  std::string option;
  bool useRestore = false;
  std::string restOption;
  bool useConfig = false;
  std::string confOption;
  bool useExText = false;
  bool showWindow = false;
  TInstallMode installMode = TInstallMode::CopyOriginal;
};

struct ExtensionButtons {
  bool change = false, remove = false, up = false, down = false, associate = false, unassociate = false;
};

// Which option field a ">>" button belongs to.
enum class OptionField { Install, Restore };

class ExtensionPage {
 public:
  ExtensionPage();

  // The working table for a user, loaded from the store without writing
  // itself back; nothing on show, nothing selected.
  void Load(const std::string& userName);
  const ExtHandlerTable& table() const { return table_; }
  // The list LstBExt: each entry's extension.
  std::vector<std::string> ListTexts() const;

  EntryFields& fields() { return fields_; }
  const EntryFields& fields() const { return fields_; }
  // The extension field was typed in.
  void ExtensionTyped(const std::string& text);

  int selected() const { return selected_; }
  int shown() const { return shown_; }
  // True when the extension field was typed in since it was set, or the
  // entry on show differs from its table entry in a program field, check
  // or the install mode.
  bool Edited() const;
  // True when entries were added, removed, moved or changed since Load.
  bool TableChanged() const;

  // LstBExtClick: asks about an edited entry on show first.
  void Select(int index);
  // Nothing on show, no selection, the program fields cleared.
  void Reset();

  ExtensionButtons Buttons() const;
  bool ProgramGroupEnabled() const { return fields_.useExApp; }
  bool RestoreOptionEnabled() const { return fields_.useExApp && fields_.useRestore; }
  bool ConfigOptionEnabled() const { return fields_.useExApp && fields_.useConfig; }

  void Add();     // "追加(&A)"
  void Change();  // "変更(&R)"
  void Clear();   // "クリア(&C)"
  void Delete();  // "削除(&D)"
  void Up();      // "上へ(&U)"
  void Down();    // "下へ(&W)"
  void Associate();    // "関連付け"
  void Unassociate();  // "関連解除"

  // The path chosen with "...": becomes the path, and names the title
  // when the title is empty.
  void ProgramChosen(const std::string& file);
  // ">>" (left click): the preset of KSExt.ini for the path.
  void ApplyPreset(OptionField field, const std::string& iniFile = "");
  OptionField lastOptionField() const { return lastOption_; }
  void setLastOptionField(OptionField f) { lastOption_ = f; }
  // "Go!": the settings launch of the fields; says so when it fails.
  void Go();

  // The fields as a table entry (the extension as typed).
  ExtHandler EntryFromFields() const;

 private:
  void Show(int index);
  std::string DottedExtension() const;
  bool CheckExtension(const std::string& ext) const;

  std::vector<ExtHandler> Entries() const;

  ExtHandlerTable table_;
  std::vector<ExtHandler> loaded_;
  EntryFields fields_;
  bool typed_ = false;
  int selected_ = -1;
  int shown_ = -1;
  OptionField lastOption_ = OptionField::Install;
};

}  // namespace kestrel

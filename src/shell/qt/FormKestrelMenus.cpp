// The window's commands as actions, and its menus, tool bars, pop-up menu
// and port items, built from the router's registrations and the layout.
#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "common/qt/QtTranslate.h"
#include "platform/SerialPorts.h"
#include "shell/qt/FormKestrel.h"
#include "shell/qt/Icons.h"

namespace kestrel {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

void TFormKestrel::BuildCommands() {
  if (built_) return;
  built_ = true;
  for (const CommandSpec& commandSpec : logic_.router().all()) {
    auto* a = new QAction(CommandIcon(commandSpec), Ui(commandSpec.caption), this);
    a->setObjectName(Q(commandSpec.name));
    a->setToolTip(commandSpec.hint.empty() ? Ui(commandSpec.caption).remove('&') : Ui(commandSpec.hint));
    if (!commandSpec.shortcut.empty()) a->setShortcut(QKeySequence(Q(commandSpec.shortcut)));
    a->setCheckable(commandSpec.checkable);
    connect(a, &QAction::triggered, this, [this, name = commandSpec.name] { Run(name); });
    addAction(a);
    actions_[commandSpec.name] = a;
  }
  const MenuLayout& layout = logic_.layout();
  for (const MenuPlace& place : layout.menus) {
    QMenu* menu = menuBar()->addMenu(Ui(place.title));
    menu->setObjectName(Q(place.name));
    AddSlots(menu, place.entries);
  }
  std::vector<QToolBar*> bars;
  for (const MenuPlace& place : layout.toolBars) {
    if (!place.entries.empty() && place.entries.front().command == kToolBarBreakSlot) addToolBarBreak();
    QToolBar* bar = addToolBar(Ui(place.title));
    bar->setObjectName(Q(place.name));
    bar->setIconSize(QSize(20, 20));
    AddSlots(bar, place.entries);
  }
  popup_ = new QMenu(this);
  popup_->setObjectName(Q(layout.popup.name));
  AddSlots(popup_, layout.popup.entries);
  CommandsChanged();
}

void TFormKestrel::AddSlots(QWidget* target, const std::vector<MenuSlot>& entries) {
  auto* menu = qobject_cast<QMenu*>(target);
  auto* bar = qobject_cast<QToolBar*>(target);
  for (const MenuSlot& slot : entries) {
    if (slot.separator()) {
      if (menu) menu->addSeparator();
      if (bar) bar->addSeparator();
    } else if (slot.command == kViewStylesSlot && menu) {
      AddViewStyles(menu);
    } else if (slot.command == kPortItemsSlot && menu) {
      // Filled once the ports are probed.
      portMenu_ = menu;
      hotSyncMenu_ = menu;
      portAnchor_ = static_cast<int>(menu->actions().size());
    } else if (slot.command == kPortBoxSlot && bar) {
      bar->addWidget(MakePortBox());
    } else if (slot.command == kRestoreToolsSlot && menu) {
      restoreTools_ = menu->addMenu(Ui(QT_TRANSLATE_NOOP("Kestrel", "復元ツール(&T)")));
      restoreTools_->setObjectName("MIRestTools");
      restoreTools_->menuAction()->setEnabled(false);
    } else if (const CommandSpec* commandSpec = logic_.router().find(slot.command)) {
      bool own = !slot.caption.empty() || !slot.hint.empty();
      target->addAction(own ? ProxyOf(*commandSpec, slot) : action(commandSpec->name));
    }
  }
}

QAction* TFormKestrel::ProxyOf(const CommandSpec& commandSpec, const MenuSlot& slot) {
  QString caption = Ui(slot.caption.empty() ? commandSpec.caption : slot.caption);
  auto* a = new QAction(CommandIcon(commandSpec), caption, this);
  if (!slot.objectName.empty()) a->setObjectName(Q(slot.objectName));
  a->setCheckable(commandSpec.checkable);
  a->setToolTip(slot.hint.empty() ? QString(caption).remove('&') : Ui(slot.hint));
  connect(a, &QAction::triggered, this, [this, name = commandSpec.name] { Run(name); });
  proxies_.push_back({a, commandSpec.name});
  return a;
}

void TFormKestrel::AddViewStyles(QMenu* menu) {
  auto* styles = new QActionGroup(this);
  struct Style {
    const char* caption;
    const char* name;
    ViewStyle style;
  };
  for (Style s : {Style{QT_TRANSLATE_NOOP("Kestrel", "大きいアイコン(&G)"), "LargeIcon1", ViewStyle::LargeIcon},
                  Style{QT_TRANSLATE_NOOP("Kestrel", "小さいアイコン(&M)"), "SmallIcon1", ViewStyle::SmallIcon},
                  Style{QT_TRANSLATE_NOOP("Kestrel", "一覧(&L)"), "List1", ViewStyle::List},
                  Style{QT_TRANSLATE_NOOP("Kestrel", "詳細(&D)"), "Detail1", ViewStyle::Report}}) {
    QAction* a = menu->addAction(Ui(s.caption));
    a->setObjectName(s.name);
    a->setCheckable(true);
    a->setChecked(s.style == ViewStyle::Report);
    styles->addAction(a);
    connect(a, &QAction::triggered, this, [this, style = s.style] { SetViewStyle(style); });
  }
}

QComboBox* TFormKestrel::MakePortBox() {
  ports_ = new QComboBox;
  ports_->setObjectName("CmbBComPort");
  ports_->setToolTip(Ui(QT_TRANSLATE_NOOP("Kestrel", "COMポートの選択")));
  ports_->setEditable(false);
  ports_->setMinimumContentsLength(6);
  connect(ports_, &QComboBox::activated, this, [this](int index) {
    if (!syncing_) logic_.ComboChanged(index);
  });
  return ports_;
}

void TFormKestrel::CreatePorts() {
  std::vector<std::string> ports = ProbeSerialPorts();
  logic_.SetPorts(ports);
  portGroup_ = new QActionGroup(this);
  portGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  for (const std::string& port : ports) {
    int position = PortMenu::kFirstPortPosition + static_cast<int>(portItems_.size());
    if (portMenu_) {
      auto* a = new QAction(Q(port), this);
      a->setCheckable(true);
      portGroup_->addAction(a);
      QList<QAction*> existing = portMenu_->actions();
      portMenu_->insertAction(existing.value(portAnchor_ + static_cast<int>(portItems_.size())), a);
      connect(a, &QAction::triggered, this, [this, position] { logic_.PortClicked(position); });
      portItems_.push_back(a);
    }
    if (ports_) ports_->addItem(Q(port));
  }
  if (ports_) ports_->setCurrentIndex(-1);
}

}  // namespace kestrel

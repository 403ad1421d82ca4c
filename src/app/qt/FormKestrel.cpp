#include "app/qt/FormKestrel.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMetaProperty>
#include <QMimeData>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>

#include "app/SingleInstance.h"
#include "app/WindowState.h"
#include "app/qt/Icons.h"
#include "common/MessageBoxes.h"
#include "common/qt/QtPrompter.h"
#include "platform/Home.h"
#include "platform/SerialPorts.h"
#include "platform/Shell.h"
#include "platform/qt/QtBusWindow.h"

namespace kestrel {
namespace {

// List items dragged onto the tree; the logic knows which (the selection).
constexpr const char* kListDragMime = "application/x-kestrel-list-items";
constexpr const char* kHelpFile = "Kestrel.html";
constexpr const char* kNoHelp = "ヘルプファイル %s が見つかりません。";

QString Q(const std::string& text) { return QString::fromStdString(text); }

std::vector<std::string> LocalFiles(const QMimeData* mime) {
  std::vector<std::string> files;
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile()) files.push_back(url.toLocalFile().toStdString());
  }
  return files;
}

bool CtrlHeld(Qt::KeyboardModifiers modifiers) { return modifiers & Qt::ControlModifier; }

// The tree takes list items dragged onto its nodes, and files from the
// desktop like the rest of the window.
class UserTreeWidget : public QTreeWidget {
 public:
  explicit UserTreeWidget(TFormKestrel* form) : form_(form) {
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
  }

 protected:
  void dragEnterEvent(QDragEnterEvent* e) override {
    if (e->mimeData()->hasFormat(kListDragMime) || e->mimeData()->hasUrls()) {
      e->acceptProposedAction();
    } else {
      e->ignore();
    }
  }
  void dragMoveEvent(QDragMoveEvent* e) override { Answer(e, false); }
  void dropEvent(QDropEvent* e) override { Answer(e, true); }

 private:
  // Accepts or refuses what is dragged over a node, and takes it on a drop:
  // list items by the logic's rules, the desktop's files as a copy.
  void Answer(QDropEvent* e, bool drop) {
    bool items = e->mimeData()->hasFormat(kListDragMime);
    if (!items && !e->mimeData()->hasUrls()) {
      e->ignore();
      return;
    }
    int node = form_->nodeOf(itemAt(e->position().toPoint()));
    bool ctrl = CtrlHeld(e->modifiers());
    DragVerdict v = items ? form_->logic().DragOver(node, ctrl) : DragVerdict{true, false};
    if (!v.accept) {
      e->ignore();
      return;
    }
    e->setDropAction(v.move ? Qt::MoveAction : Qt::CopyAction);
    e->accept();
    if (!drop) return;
    if (items) {
      form_->logic().DragDrop(node, ctrl);
    } else {
      form_->DropFiles(LocalFiles(e->mimeData()));
    }
  }

  TFormKestrel* form_;
};

// Both faces of the file list drag their selected items with the program's
// own copy cursor.
template <class Base>
class FileView : public Base {
 public:
  FileView() {
    this->setDragEnabled(true);
    this->setDragDropMode(QAbstractItemView::DragOnly);
    this->setSelectionMode(QAbstractItemView::ExtendedSelection);
    this->setSelectionBehavior(QAbstractItemView::SelectRows);
    this->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    this->setContextMenuPolicy(Qt::CustomContextMenu);
  }

 protected:
  void startDrag(Qt::DropActions) override {
    auto* mime = new QMimeData;
    mime->setData(kListDragMime, QByteArray());
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setDragCursor(Drag1Cursor(), Qt::CopyAction);
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
  }
};

// Renaming in the list: the file is renamed when the edit ends; Del
// belongs to the edit box meanwhile.
class RenameDelegate : public QStyledItemDelegate {
 public:
  RenameDelegate(QObject* parent, KestrelMain& logic, std::function<void(bool)> editing)
      : QStyledItemDelegate(parent), logic_(logic), editing_(std::move(editing)) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    editing_(true);
    return QStyledItemDelegate::createEditor(parent, option, index);
  }
  void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
    QStyledItemDelegate::destroyEditor(editor, index);
    editing_(false);
  }
  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
    QByteArray property = editor->metaObject()->userProperty().name();
    QString text = editor->property(property).toString();
    // The logic tells the window what the caption became.
    logic_.Rename(index.row(), text.toStdString());
  }

 private:
  KestrelMain& logic_;
  std::function<void(bool)> editing_;
};

}  // namespace

TFormKestrel::TFormKestrel(QWidget* parent) : QMainWindow(parent) {
  setObjectName("TFormKestrel");
  setWindowTitle(kWindowCaption);
  setMinimumSize(DesignGeometry::kMinWidth, DesignGeometry::kMinHeight);
  logic_.setView(this);

  tree_ = new UserTreeWidget(this);
  tree_->setObjectName("TViewUsers");
  tree_->setHeaderHidden(true);
  tree_->setIndentation(23);
  tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
    if (syncing_ || !current) return;
    logic_.Select(nodeOf(current));
  });
  connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
    if (!syncing_) logic_.NodeExpanded(nodeOf(item), true);
  });
  connect(tree_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
    if (!syncing_) logic_.NodeExpanded(nodeOf(item), false);
  });

  model_ = new QStandardItemModel(this);
  report_ = new FileView<QTreeView>;
  report_->setObjectName("LViewFiles");
  report_->setRootIsDecorated(false);
  report_->setUniformRowHeights(true);
  report_->setAllColumnsShowFocus(true);
  report_->setModel(model_);
  report_->header()->setSectionsClickable(true);
  report_->header()->setStretchLastSection(false);
  connect(report_->header(), &QHeaderView::sectionClicked, this,
          [this](int column) { logic_.ColumnClick(column); });
  icons_ = new FileView<QListView>;
  icons_->setObjectName("LViewFilesIcons");
  icons_->setModel(model_);
  icons_->setSelectionModel(report_->selectionModel());
  icons_->setResizeMode(QListView::Adjust);
  icons_->setMovement(QListView::Static);
  auto editing = [this](bool open) {
    if (open) {
      BeginRename();
    } else {
      EndRename();
    }
  };
  report_->setItemDelegateForColumn(0, new RenameDelegate(report_, logic_, editing));
  icons_->setItemDelegate(new RenameDelegate(icons_, logic_, editing));
  connect(report_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { SyncListSelection(); });
  for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(report_),
                                  static_cast<QAbstractItemView*>(icons_)}) {
    connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
      bool alt = QGuiApplication::keyboardModifiers() & Qt::AltModifier;
      logic_.DoubleClick(index.row(), alt);
    });
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
      PopupMenu1Popup();
      popup_->exec(view->viewport()->mapToGlobal(pos));
    });
  }
  listStack_ = new QStackedWidget;
  listStack_->addWidget(report_);
  listStack_->addWidget(icons_);

  splitter_ = new QSplitter(Qt::Horizontal);
  splitter_->setObjectName("Splitter1");
  splitter_->addWidget(tree_);
  splitter_->addWidget(listStack_);
  splitter_->setCollapsible(0, false);
  splitter_->setCollapsible(1, false);
  splitter_->setStretchFactor(1, 1);
  setCentralWidget(splitter_);

  statusBar()->setObjectName("StatusBar1");
  statusBar()->setSizeGripEnabled(true);
  const int widths[kStatusPanels] = {80, 80, 80, 50};
  for (int i = 0; i < kStatusPanels; ++i) {
    panels_[i] = new QLabel;
    panels_[i]->setObjectName(QString("Panel%1").arg(i));
    panels_[i]->setMinimumWidth(widths[i]);
    if (i < kStatusPanels - 1) panels_[i]->setFixedWidth(widths[i]);
    if (i == 2) panels_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    statusBar()->addWidget(panels_[i], i == kStatusPanels - 1 ? 1 : 0);
  }

  CreateActions();
  CreateMenus();
  CreateToolBars();

  timer_ = new QTimer(this);
  timer_->setObjectName("Timer1");
  timer_->setInterval(1000);
  connect(timer_, &QTimer::timeout, this, [this] { logic_.TimerTick(); });
  timer_->start();

  bus_ = std::make_unique<QtBusWindow>(kMainWindowClass, kWindowCaption, this,
                                       [this](const BusMessage& m) { HandleBusMessage(m); });
  CommandsChanged();
}

TFormKestrel::~TFormKestrel() {
  syncing_ = true;
  logic_.setView(nullptr);
  // The views go while the actions they touch (an open editor gives Del
  // back) still exist.
  delete splitter_;
}

QAction* TFormKestrel::action(Command command) const {
  return actions_[static_cast<std::size_t>(command)];
}

QString TFormKestrel::statusText(int panel) const { return panels_[panel]->text(); }

QTreeWidgetItem* TFormKestrel::itemOf(int node) const {
  if (node < 0 || node >= static_cast<int>(items_.size())) return nullptr;
  return items_[static_cast<std::size_t>(node)];
}

int TFormKestrel::nodeOf(const QTreeWidgetItem* item) const {
  return item ? item->data(0, Qt::UserRole).toInt() : -1;
}

bool TFormKestrel::listHasFocus() const {
  return report_->hasFocus() || icons_->hasFocus();
}

// --- building the window

void TFormKestrel::CreateActions() {
  for (int i = 0; i < kCommandCount; ++i) {
    auto command = static_cast<Command>(i);
    const CommandInfo& info = InfoOf(command);
    auto* a = new QAction(CommandIcon(command), info.caption, this);
    a->setObjectName(info.name);
    a->setToolTip(*info.hint ? info.hint : QString(info.caption).remove('&'));
    if (*info.shortcut) a->setShortcut(QKeySequence(info.shortcut));
    a->setCheckable(info.checkable);
    connect(a, &QAction::triggered, this, [this, command] { Run(command); });
    addAction(a);
    actions_.push_back(a);
  }
  action(Command::ArcTree)->setToolTip("アーカイブファイルをツリー表示");
}

void TFormKestrel::CreateMenus() {
  auto proxy = [this](Command command, const QString& caption, const QString& hint = {}) {
    auto* a = new QAction(CommandIcon(command), caption, this);
    a->setCheckable(InfoOf(command).checkable);
    a->setToolTip(hint.isEmpty() ? QString(caption).remove('&') : hint);
    connect(a, &QAction::triggered, this, [this, command] { Run(command); });
    proxies_.push_back({a, command});
    return a;
  };

  QMenu* file = menuBar()->addMenu("ファイル(&F)");
  file->addAction(action(Command::NewUser));
  file->addAction(action(Command::NewFolder));
  file->addAction(action(Command::AddFile));
  file->addSeparator();
  file->addAction(action(Command::ChangeUser));
  QAction* saveAppList = file->addAction("AppListの保存");
  saveAppList->setObjectName("AppList1");
  saveAppList->setEnabled(false);  // the AppList unit saves its lists
  file->addAction(action(Command::GetAppList));
  file->addSeparator();
  file->addAction(action(Command::FDelete));
  file->addSeparator();
  QAction* exit = file->addAction("終了(&X)");
  exit->setObjectName("Exit1");
  connect(exit, &QAction::triggered, this, &QWidget::close);

  QMenu* install = menuBar()->addMenu("インストール(&I)");
  install->addAction(action(Command::InstallFlag));
  install->addAction(action(Command::BackupFlag));
  install->addSeparator();
  install->addAction(action(Command::RegInst));
  install->addAction(action(Command::Backup));
  install->addSeparator();
  install->addAction(action(Command::SelectAll));

  QMenu* view = menuBar()->addMenu("表示(&V)");
  auto* styles = new QActionGroup(this);
  struct Style {
    const char* caption;
    const char* name;
    ViewStyle style;
  };
  for (Style s : {Style{"大きいアイコン(&G)", "LargeIcon1", ViewStyle::LargeIcon},
                  Style{"小さいアイコン(&M)", "SmallIcon1", ViewStyle::SmallIcon},
                  Style{"一覧(&L)", "List1", ViewStyle::List},
                  Style{"詳細(&D)", "Detail1", ViewStyle::Report}}) {
    QAction* a = view->addAction(s.caption);
    a->setObjectName(s.name);
    a->setCheckable(true);
    a->setChecked(s.style == ViewStyle::Report);
    styles->addAction(a);
    connect(a, &QAction::triggered, this, [this, style = s.style] { SetViewStyle(style); });
  }
  view->addSeparator();
  view->addAction(action(Command::Refresh));
  view->addSeparator();
  view->addAction(action(Command::Config));

  hotSyncMenu_ = menuBar()->addMenu("HotSync(&S)");
  hotSyncMenu_->setObjectName("HotSync1");
  hotSyncMenu_->addAction(proxy(Command::ExecHotSync, "HotSync Managerの起動(&S)"));
  hotSyncMenu_->addAction(proxy(Command::ExitHotSync, "HotSync Managerの停止(&P)"));
  hotSyncMenu_->addSeparator();
  hotSyncMenu_->addSeparator();  // the ports go in between, from position 3 on
  hotSyncMenu_->addAction(action(Command::PilotXfer));

  QMenu* help = menuBar()->addMenu("ヘルプ(&H)");
  help->addAction(action(Command::Help));
  help->addSeparator();
  help->addAction(action(Command::About));

  popup_ = new QMenu(this);
  popup_->setObjectName("PopupMenu1");
  popup_->addAction(action(Command::RegInst));
  popup_->addAction(action(Command::SelectAll));
  popup_->addSeparator();
  restoreTools_ = popup_->addMenu("復元ツール(&T)");
  restoreTools_->setObjectName("MIRestTools");
  restoreTools_->menuAction()->setEnabled(false);
  popup_->addAction(action(Command::Eye));
  popup_->addAction(action(Command::GoSite));
  popup_->addSeparator();
  popup_->addAction(action(Command::Property));

  // The two tool buttons that carry a hint of their own.
  proxy(Command::BackupFlag, InfoOf(Command::BackupFlag).caption,
        "オートバックアップ（変更は再起動無効）")
      ->setObjectName("BackupFlagButton");
}

void TFormKestrel::CreateToolBars() {
  QToolBar* hotSync = addToolBar("HotSync");
  hotSync->setObjectName("ToolBar1");
  hotSync->addAction(action(Command::ExecHotSync));
  hotSync->addAction(action(Command::ExitHotSync));
  hotSync->addSeparator();
  ports_ = new QComboBox;
  ports_->setObjectName("CmbBComPort");
  ports_->setToolTip("COMポートの選択");
  ports_->setEditable(false);
  ports_->setMinimumContentsLength(6);
  connect(ports_, &QComboBox::activated, this, [this](int index) {
    if (!syncing_) logic_.ComboChanged(index);
  });
  hotSync->addWidget(ports_);

  QToolBar* files = addToolBar("インストール");
  files->setObjectName("ToolBar2");
  files->addAction(action(Command::InstallFlag));
  for (auto& [a, command] : proxies_) {
    if (a->objectName() == "BackupFlagButton") files->addAction(a);
  }
  files->addSeparator();
  files->addAction(action(Command::NewUser));
  files->addAction(action(Command::NewFolder));
  files->addSeparator();
  files->addAction(action(Command::SelectAll));
  files->addAction(action(Command::RegInst));
  files->addAction(action(Command::Backup));
  files->addSeparator();
  files->addAction(action(Command::AddFile));
  files->addAction(action(Command::FDelete));

  // The window's design width holds two of the bars; the third starts a row.
  addToolBarBreak();
  QToolBar* tools = addToolBar("ツール");
  tools->setObjectName("ToolBar3");
  tools->addAction(action(Command::Eye));
  tools->addAction(action(Command::GoSite));
  tools->addAction(action(Command::GetAppList));
  tools->addSeparator();
  tools->addAction(action(Command::ChkDate));
  tools->addSeparator();
  tools->addAction(action(Command::Config));
  tools->addAction(action(Command::ArcTree));
  tools->addSeparator();
  tools->addAction(action(Command::PilotXfer));
  tools->addSeparator();
  tools->addAction(action(Command::Help));
  for (QToolBar* bar : {hotSync, files, tools}) bar->setIconSize(QSize(20, 20));
}

void TFormKestrel::CreatePorts() {
  std::vector<std::string> ports = ProbeSerialPorts();
  logic_.SetPorts(ports);
  portGroup_ = new QActionGroup(this);
  portGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  QList<QAction*> existing = hotSyncMenu_->actions();
  QAction* before = existing.value(PortMenu::kFirstPortPosition);
  for (const std::string& port : ports) {
    auto* a = new QAction(Q(port), this);
    a->setCheckable(true);
    portGroup_->addAction(a);
    hotSyncMenu_->insertAction(before, a);
    int position = PortMenu::kFirstPortPosition + static_cast<int>(portItems_.size());
    connect(a, &QAction::triggered, this, [this, position] { logic_.PortClicked(position); });
    portItems_.push_back(a);
    ports_->addItem(Q(port));
  }
  ports_->setCurrentIndex(-1);
}

void TFormKestrel::ApplyWindowState() {
  WindowState s = LoadWindowState();
  move(s.left.value_or(DesignGeometry::kLeft), s.top.value_or(DesignGeometry::kTop));
  resize(s.width.value_or(DesignGeometry::kWidth), s.height.value_or(DesignGeometry::kHeight));
  int tree = s.splitter.value_or(DesignGeometry::kTreeWidth);
  splitter_->setSizes({tree, std::max(1, width() - tree)});
}

// --- life of the window

bool TFormKestrel::FormCreate(const std::vector<std::string>& files, bool show) {
  CreatePorts();
  ApplyWindowState();
  logic_.ReadLocations();
  logic_.BuildTree();
  setAcceptDrops(true);
  if (!files.empty() && logic_.QueueFiles(files)) {
    TakeForwardedFiles();
    return true;
  }
  if (show) this->show();
  logic_.Refresh();
  return false;
}

void TFormKestrel::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  logic_.FormShow();
}

void TFormKestrel::closeEvent(QCloseEvent* event) {
  // No AppList fetch can be under way, so nothing holds the close back.
  if (!closed_) FormClose();
  event->accept();
}

void TFormKestrel::TakeForwardedFiles() {
  if (bus_) bus_->withdrawAndDrain();
}

void TFormKestrel::FormClose() {
  closed_ = true;
  TakeForwardedFiles();
  timer_->stop();
  QList<int> sizes = splitter_->sizes();
  SaveWindowState(x(), y(), width(), height(), sizes.isEmpty() ? 0 : sizes.front());
  logic_.Close();
  setAcceptDrops(false);
}

void TFormKestrel::HandleBusMessage(const BusMessage& message) {
  if (message.msg == kForwardedArgument) {
    if (auto file = TakeForwardedArgument(message)) logic_.QueueFiles({*file});
  } else if (message.msg == kWmClose) {
    close();
  }
}

void TFormKestrel::DropFiles(const std::vector<std::string>& files) {
  if (!files.empty() && !closed_) logic_.QueueFiles(files);
}

void TFormKestrel::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls() && !event->mimeData()->hasFormat(kListDragMime)) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void TFormKestrel::dropEvent(QDropEvent* event) {
  if (!event->mimeData()->hasUrls() || event->mimeData()->hasFormat(kListDragMime)) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  DropFiles(LocalFiles(event->mimeData()));
}

// --- commands

Focus TFormKestrel::CurrentFocus() const {
  if (tree_->hasFocus()) return Focus::Tree;
  if (listHasFocus()) return Focus::List;
  return Focus::Other;
}

void TFormKestrel::Run(Command command) {
  if (closed_) return;
  switch (command) {
    case Command::InstallFlag: logic_.InstallFlag(); break;
    case Command::SelectAll: logic_.SelectAll(); break;
    case Command::RegInst: logic_.RegInst(); break;
    case Command::FDelete: logic_.FDelete(CurrentFocus()); break;
    case Command::NewFolder: ActNewFolderExecute(); break;
    case Command::BackupFlag: logic_.BackupFlag(); break;
    case Command::AddFile: ActAddFileExecute(); break;
    case Command::ExecHotSync: logic_.ExecHotSync(); break;
    case Command::ExitHotSync: logic_.ExitHotSync(); break;
    case Command::Backup: logic_.Backup(); break;
    case Command::Help: ActHelpExecute(); break;
    case Command::ArcTree: logic_.ArcTree(); break;
    case Command::Refresh: logic_.Refresh(); break;
    default: break;  // the commands of units still to come are never enabled
  }
  // A checkable action toggled itself; the logic says what it shows.
  CommandsChanged();
}

void TFormKestrel::ActAddFileExecute() {
  QFileDialog dialog(this, "ファイルの追加", Q(logic_.AddFileFolder()));
  dialog.setObjectName("OpenDialog1");
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
  // The part in the last parentheses is the patterns; the name before it is shown.
  dialog.setNameFilters({"All Palm File Types (*.prc *.pdb *.pnc *.scp)",
                         "Palm Applications(*.prc) (*.prc)", "Palm Databases(*.pdb) (*.pdb)",
                         "Palm Network Configuration Files(*.pnc) (*.pnc)",
                         "Palm Network Script Files (*.scp)",
                         "アーカイブファイル(*.lzh;*.zip) (*.lzh *.zip)",
                         "すべてのファイル(*.*) (*)"});
  if (dialog.exec() != QDialog::Accepted) return;
  std::vector<std::string> files;
  for (const QString& f : dialog.selectedFiles()) files.push_back(f.toStdString());
  logic_.AddFiles(files);
}

void TFormKestrel::ActNewFolderExecute() {
  logic_.NewFolder([this](const std::string& caption, const std::string& prompt,
                          const std::string& initial) -> std::optional<std::string> {
    QInputDialog dialog(this);
    dialog.setObjectName("NewFolderDialog");
    dialog.setWindowTitle(Q(caption));
    dialog.setLabelText(Q(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(Q(initial));
    dialog.adjustSize();
    PlaceDialogOver(&dialog, this);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue().toStdString();
  });
}

void TFormKestrel::ActHelpExecute() {
  std::string page = ShippedFile(kHelpFile);
  if (page.empty()) {
    ErrorBox(kNoHelp, kHelpFile);
    return;
  }
  TheShell().open(QUrl::fromLocalFile(Q(page)).toString(QUrl::FullyEncoded).toStdString());
}

void TFormKestrel::PopupMenu1Popup() {
  restoreTools_->clear();
  KestrelMain::RestoreMenu menu = logic_.RestoreTools();
  for (const RestoreToolItem& item : menu.items) {
    QAction* a = restoreTools_->addAction(Q(item.title));
    connect(a, &QAction::triggered, this, [this, index = item.index] { logic_.RestoreToolClick(index); });
  }
  restoreTools_->menuAction()->setEnabled(menu.enabled);
}

void TFormKestrel::SetViewStyle(ViewStyle style) {
  viewStyle_ = style;
  if (style == ViewStyle::Report) {
    listStack_->setCurrentWidget(report_);
    return;
  }
  icons_->setWrapping(true);
  if (style == ViewStyle::LargeIcon) {
    icons_->setViewMode(QListView::IconMode);
    icons_->setIconSize(QSize(32, 32));
    icons_->setFlow(QListView::LeftToRight);
    icons_->setGridSize(QSize(96, 64));
  } else {
    icons_->setViewMode(QListView::ListMode);
    icons_->setIconSize(QSize(16, 16));
    icons_->setGridSize(QSize());
    icons_->setFlow(style == ViewStyle::SmallIcon ? QListView::LeftToRight : QListView::TopToBottom);
  }
  icons_->setMovement(QListView::Static);
  listStack_->setCurrentWidget(icons_);
}

void TFormKestrel::BeginRename() {
  action(Command::FDelete)->setShortcut(QKeySequence());
}

void TFormKestrel::EndRename() {
  action(Command::FDelete)->setShortcut(QKeySequence(InfoOf(Command::FDelete).shortcut));
}

// --- following the logic

void TFormKestrel::TreeNodeAdded(int node) {
  const UserTree& tree = logic_.tree();
  if (static_cast<int>(items_.size()) <= node) items_.resize(static_cast<std::size_t>(node) + 1);
  QTreeWidgetItem* parent = itemOf(tree.parent(node));
  auto* item = new QTreeWidgetItem;
  item->setText(0, Q(tree.caption(node)));
  item->setData(0, Qt::UserRole, node);
  item->setIcon(0, NodeIcon(tree.image(node), ImagesOfKind(tree.record(node).kind).selected));
  syncing_ = true;
  if (parent) {
    parent->addChild(item);
  } else {
    tree_->addTopLevelItem(item);
  }
  syncing_ = false;
  items_[static_cast<std::size_t>(node)] = item;
}

void TFormKestrel::TreeNodeRemoved(int node) {
  QTreeWidgetItem* item = itemOf(node);
  std::function<void(int)> forget = [&](int n) {
    if (n < static_cast<int>(items_.size())) items_[static_cast<std::size_t>(n)] = nullptr;
    for (int child : logic_.tree().children(n)) forget(child);
  };
  forget(node);
  syncing_ = true;
  delete item;
  syncing_ = false;
}

void TFormKestrel::TreeNodeChanged(int node) {
  QTreeWidgetItem* item = itemOf(node);
  if (!item) return;
  const UserTree& tree = logic_.tree();
  syncing_ = true;
  item->setIcon(0, NodeIcon(tree.image(node), ImagesOfKind(tree.record(node).kind).selected));
  item->setExpanded(tree.expanded(node));
  syncing_ = false;
}

void TFormKestrel::TreeSelectionSet(int node) {
  QTreeWidgetItem* item = itemOf(node);
  if (!item || tree_->currentItem() == item) return;
  syncing_ = true;
  tree_->setCurrentItem(item);
  tree_->scrollToItem(item);
  syncing_ = false;
}

void TFormKestrel::SetRow(int row, const FileItem& item) {
  const FileList& list = logic_.list();
  int columns = model_->columnCount();
  for (int c = 0; c < columns; ++c) {
    QStandardItem* cell = model_->item(row, c);
    if (!cell) {
      cell = new QStandardItem;
      model_->setItem(row, c, cell);
    }
    std::string text = c == 0 ? item.caption
                              : (static_cast<std::size_t>(c - 1) < item.subItems.size()
                                     ? item.subItems[static_cast<std::size_t>(c - 1)]
                                     : "");
    cell->setText(Q(text));
    // AppList entries are edited in their property dialog, not renamed here.
    cell->setEditable(c == 0 && logic_.EditAllowed());
    if (c == 0) cell->setIcon(ListImage(item.image));
    if (c < static_cast<int>(list.columns.size()) && list.columns[static_cast<std::size_t>(c)].rightAligned) {
      cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
  }
}

void TFormKestrel::ListReset() {
  const FileList& list = logic_.list();
  syncing_ = true;
  model_->clear();
  QStringList titles;
  for (const Column& c : list.columns) titles << Q(c.title);
  model_->setColumnCount(static_cast<int>(list.columns.size()));
  model_->setHorizontalHeaderLabels(titles);
  model_->setRowCount(list.count());
  for (int i = 0; i < list.count(); ++i) SetRow(i, list.items[static_cast<std::size_t>(i)]);
  // The widths are those of the system font the columns were made for; a
  // wider font gets wider columns, so that a file time still fits.
  double scale = std::max(1.0, report_->fontMetrics().horizontalAdvance("0000/00/00 00:00:00") / 110.0);
  for (int c = 0; c < static_cast<int>(list.columns.size()); ++c) {
    const Column& column = list.columns[static_cast<std::size_t>(c)];
    report_->setColumnWidth(c, static_cast<int>(column.width * scale));
    if (column.rightAligned) {
      model_->horizontalHeaderItem(c)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
  }
  QItemSelection selection;
  for (int i = 0; i < list.count(); ++i) {
    if (list.items[static_cast<std::size_t>(i)].selected) {
      selection.select(model_->index(i, 0), model_->index(i, std::max(0, model_->columnCount() - 1)));
    }
  }
  report_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  syncing_ = false;
}

void TFormKestrel::ListItemChanged(int item) {
  if (item < 0 || item >= logic_.list().count() || item >= model_->rowCount()) return;
  syncing_ = true;
  SetRow(item, logic_.list().items[static_cast<std::size_t>(item)]);
  syncing_ = false;
}

void TFormKestrel::SyncListSelection() {
  if (syncing_) return;
  FileList& list = logic_.list();
  QItemSelectionModel* selection = report_->selectionModel();
  for (int i = 0; i < list.count() && i < model_->rowCount(); ++i) {
    list.items[static_cast<std::size_t>(i)].selected = selection->isRowSelected(i, QModelIndex());
  }
  logic_.ListSelectionChanged();
}

void TFormKestrel::CaptionChanged() {
  setWindowTitle(Q(logic_.caption()));
  if (bus_) bus_->window().setTitle(logic_.caption());
}

void TFormKestrel::CommandsChanged() {
  const CommandStates& states = logic_.commands();
  for (int i = 0; i < kCommandCount; ++i) {
    QAction* a = actions_[static_cast<std::size_t>(i)];
    const QSignalBlocker block(a);
    a->setEnabled(states.enabled[static_cast<std::size_t>(i)]);
    if (a->isCheckable()) a->setChecked(states.checked[static_cast<std::size_t>(i)]);
  }
  bool flag = states.isChecked(Command::InstallFlag);
  QAction* installFlag = action(Command::InstallFlag);
  installFlag->setText(Q(InstallFlagCaption(flag)));
  installFlag->setToolTip(Q(InstallFlagCaption(flag)));
  for (auto& [a, command] : proxies_) {
    const QSignalBlocker block(a);
    a->setEnabled(states.isEnabled(command));
    if (a->isCheckable()) a->setChecked(states.isChecked(command));
  }
  const PortMenu& ports = logic_.ports();
  syncing_ = true;
  if (ports_ && ports_->currentIndex() != ports.comboIndex) ports_->setCurrentIndex(ports.comboIndex);
  for (std::size_t i = 0; i < portItems_.size(); ++i) {
    const QSignalBlocker block(portItems_[i]);
    portItems_[i]->setChecked(static_cast<int>(i) + PortMenu::kFirstPortPosition ==
                              ports.checkedPosition);
  }
  syncing_ = false;
}

void TFormKestrel::StatusChanged() {
  for (int i = 0; i < kStatusPanels; ++i) panels_[i]->setText(Q(logic_.status(i)));
}

void TFormKestrel::Busy(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

}  // namespace kestrel

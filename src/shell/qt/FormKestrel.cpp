#include "shell/qt/FormKestrel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMetaProperty>
#include <QMimeData>
#include <QPixmap>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>

#include "common/Links.h"
#include "common/MessageBoxes.h"
#include "common/qt/QtTranslate.h"
#include "common/qt/QtPrompter.h"
#include "platform/qt/QtBusWindow.h"
#include "shell/SingleInstance.h"
#include "shell/WindowState.h"
#include "shell/qt/Icons.h"

namespace kestrel {
namespace {

// List items dragged onto the tree; the logic knows which (the selection).
constexpr const char* kListDragMime = "application/x-kestrel-list-items";

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
  std::function<void()> refused;

 protected:
  // An edit the list does not allow (AppList entries) opens the entry's
  // properties instead.
  bool edit(const QModelIndex& index, QAbstractItemView::EditTrigger trigger, QEvent* event) override {
    bool editing = Base::edit(index, trigger, event);
    if (!editing && refused && index.isValid() &&
        (trigger == QAbstractItemView::EditKeyPressed || trigger == QAbstractItemView::SelectedClicked)) {
      refused();
    }
    return editing;
  }
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

// The list's column captions, sized as the style sizes them but measured in
// the font they are painted in. Qt measures a caption in bold, for sections
// shown highlighted; this list never highlights one (its captions have the
// same height either way), and the bold faces would be loaded at start for
// nothing but that measure.
class ListHeader : public QHeaderView {
 public:
  ListHeader() : QHeaderView(Qt::Horizontal) {
    // What QTreeView gives its own header.
    setSectionsMovable(true);
    setStretchLastSection(true);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  }

 protected:
  QSize sectionSizeFromContents(int logicalIndex) const override {
    if (!model()) return {};
    QVariant hint = model()->headerData(logicalIndex, orientation(), Qt::SizeHintRole);
    if (hint.isValid()) return hint.toSize();
    ensurePolished();
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.section = logicalIndex;
    QVariant font = model()->headerData(logicalIndex, orientation(), Qt::FontRole);
    opt.fontMetrics = QFontMetrics(font.canConvert<QFont>() ? font.value<QFont>() : this->font());
    opt.text = model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
    QVariant decoration = model()->headerData(logicalIndex, orientation(), Qt::DecorationRole);
    opt.icon = decoration.value<QIcon>();
    if (opt.icon.isNull()) opt.icon = decoration.value<QPixmap>();
    if (isSortIndicatorShown()) opt.sortIndicator = QStyleOptionHeader::SortDown;
    return style()->sizeFromContents(QStyle::CT_HeaderSection, &opt, QSize(), this);
  }
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
  tree_->setUniformRowHeights(true);
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
  auto refused = [this] { logic_.EditRefused(); };
  auto* report = new FileView<QTreeView>;
  report->refused = refused;
  report_ = report;
  report_->setObjectName("LViewFiles");
  report_->setHeader(new ListHeader);
  report_->setRootIsDecorated(false);
  report_->setUniformRowHeights(true);
  report_->setAllColumnsShowFocus(true);
  report_->setModel(model_);
  report_->header()->setSectionsClickable(true);
  report_->header()->setStretchLastSection(false);
  connect(report_->header(), &QHeaderView::sectionClicked, this,
          [this](int column) { logic_.ColumnClick(column); });
  auto* icons = new FileView<QListView>;
  icons->refused = refused;
  icons_ = icons;
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
  MakeSingleTextMode();

  // The window's own two commands: the close and the help page.
  CommandSpec exit;
  exit.name = "Exit1";
  exit.caption = QT_TRANSLATE_NOOP("Kestrel", "終了(&X)");
  exit.run = [this](MainContext&) { close(); };
  logic_.router().Register(std::move(exit));
  logic_.router().SetHandler(InfoOf(Command::Help).name, [this](MainContext&) { ActHelpExecute(); });

  timer_ = new QTimer(this);
  timer_->setObjectName("Timer1");
  timer_->setInterval(1000);
  connect(timer_, &QTimer::timeout, this, [this] { logic_.TimerTick(); });
  timer_->start();
  normalTreeBase_ = tree_->palette().color(QPalette::Base);

  bus_ = std::make_unique<QtBusWindow>(kMainWindowClass, kWindowCaption, this,
                                       [this](const BusMessage& m) { HandleBusMessage(m); });
}

TFormKestrel::~TFormKestrel() {
  syncing_ = true;
  logic_.setView(nullptr);
  // The views go while the actions they touch (an open editor gives Del
  // back) still exist.
  delete splitter_;
}

QAction* TFormKestrel::action(Command command) const { return action(InfoOf(command).name); }

QAction* TFormKestrel::action(const std::string& name) const {
  auto it = actions_.find(name);
  return it == actions_.end() ? nullptr : it->second;
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

void TFormKestrel::ApplyWindowState() {
  WindowState s = LoadWindowState();
  move(s.left.value_or(DesignGeometry::kLeft), s.top.value_or(DesignGeometry::kTop));
  resize(s.width.value_or(DesignGeometry::kWidth), s.height.value_or(DesignGeometry::kHeight));
  int tree = s.splitter.value_or(DesignGeometry::kTreeWidth);
  splitter_->setSizes({tree, std::max(1, width() - tree)});
}

// --- life of the window

bool TFormKestrel::FormCreate(const std::vector<std::string>& files, bool show) {
  bool setUp = logic_.OfferFirstStart();
  logic_.ReadLocations();
  // The users' folders are read on another core while the window is built.
  logic_.PrepareTree();
  BuildCommands();
  CreatePorts();
  ApplyWindowState();
  logic_.BuildTree();
  setAcceptDrops(true);
  if (!files.empty() && logic_.QueueFiles(files)) {
    TakeForwardedFiles();
    return true;
  }
  if (show) this->show();
  logic_.Refresh();
  // A new Palm Desktop side has no user of Kestrel+ yet.
  if (setUp && show) logic_.RunCommand("ActNewUser");
  return false;
}

void TFormKestrel::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  if (QTreeWidgetItem* current = tree_->currentItem()) {
    syncing_ = true;
    tree_->scrollToItem(current);
    syncing_ = false;
  }
  logic_.FormShow();
}

void TFormKestrel::closeEvent(QCloseEvent* event) {
  // A subsystem may hold the close back (a download under way).
  if (!closed_ && !logic_.FormCloseQuery()) {
    event->ignore();
    return;
  }
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
  logic_.FormClosing();
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

Rect TFormKestrel::WindowRect() const {
  QRect r = frameGeometry();
  return {r.left(), r.top(), r.width(), r.height()};
}

void TFormKestrel::Run(const std::string& name) {
  if (!closed_) logic_.RunCommand(name);
}

void TFormKestrel::ActHelpExecute() { OpenHelp(0); }

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
  if (QAction* del = action(Command::FDelete)) del->setShortcut(QKeySequence());
}

void TFormKestrel::EndRename() {
  const CommandSpec* commandSpec = logic_.router().find(InfoOf(Command::FDelete).name);
  QAction* del = action(Command::FDelete);
  if (commandSpec && del) del->setShortcut(QKeySequence(Q(commandSpec->shortcut)));
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
  if (tree_->isVisible()) {
    tree_->scrollToItem(item);
  } else {
    // A hidden tree is laid out for the scroll once it is shown; what the
    // scroll does besides, opening the item's parents, happens now.
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) {
      if (!p->isExpanded()) p->setExpanded(true);
    }
  }
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
    if (c == 0) {
      cell->setIcon(item.stateImage >= 0 ? MarkedListImage(item.image, item.stateImage)
                                         : ListImage(item.image));
      cell->setData(item.stateImage, kStateImageRole);
    }
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
  const CommandRouter& router = logic_.router();
  for (const CommandSpec& commandSpec : router.all()) {
    QAction* a = action(commandSpec.name);
    if (!a) continue;
    const QSignalBlocker block(a);
    a->setEnabled(router.isEnabled(commandSpec.name));
    if (a->isCheckable()) a->setChecked(router.isChecked(commandSpec.name));
    if (!commandSpec.checkedCaption.empty() || !commandSpec.uncheckedCaption.empty()) {
      QString now = Ui(router.captionNow(commandSpec.name));
      a->setText(now);
      a->setToolTip(now);
    }
  }
  for (auto& [a, name] : proxies_) {
    const QSignalBlocker block(a);
    a->setEnabled(router.isEnabled(name));
    if (a->isCheckable()) a->setChecked(router.isChecked(name));
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

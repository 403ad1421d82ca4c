#include "shell/qt/Icons.h"

#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QCoreApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "common/qt/QtTranslate.h"

namespace kestrel {
namespace {

QIcon Standard(QStyle::StandardPixmap which) { return QApplication::style()->standardIcon(which); }

// Small drawn images where the style has none.
QPixmap Canvas(int size = 32) {
  QPixmap p(size, size);
  p.fill(Qt::transparent);
  return p;
}

QPixmap Person(const QColor& color) {
  QPixmap p = Canvas();
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(color.darker(150), 1.5));
  g.setBrush(color);
  g.drawEllipse(QRectF(10, 3, 12, 12));
  QPainterPath body;
  body.moveTo(4, 30);
  body.cubicTo(4, 16, 28, 16, 28, 30);
  body.closeSubpath();
  g.drawPath(body);
  return p;
}

QPixmap Handheld() {
  QPixmap p = Canvas();
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(QColor(60, 60, 70), 1.5));
  g.setBrush(QColor(150, 150, 165));
  g.drawRoundedRect(QRectF(7, 2, 18, 28), 3, 3);
  g.setBrush(QColor(190, 215, 170));
  g.drawRect(QRectF(10, 5, 12, 14));
  g.setBrush(QColor(90, 90, 100));
  g.drawEllipse(QRectF(13, 22, 6, 5));
  return p;
}

QPixmap Box(bool open) {
  QPixmap p = Canvas();
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(QColor(110, 70, 20), 1.5));
  g.setBrush(QColor(215, 165, 90));
  g.drawRect(QRectF(4, 12, 24, 17));
  if (open) {
    g.drawPolygon(QPolygonF({QPointF(4, 12), QPointF(1, 5), QPointF(14, 5), QPointF(16, 12)}));
    g.drawPolygon(QPolygonF({QPointF(28, 12), QPointF(31, 5), QPointF(18, 5), QPointF(16, 12)}));
  } else {
    g.drawRect(QRectF(3, 7, 26, 6));
  }
  g.setPen(QPen(QColor(110, 70, 20), 2));
  g.drawLine(QPointF(16, 15), QPointF(16, 27));
  return p;
}

QPixmap Badge(const QPixmap& base, const QString& text, const QColor& color) {
  QPixmap p = base;
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(Qt::NoPen);
  g.setBrush(color);
  g.drawEllipse(QRectF(17, 17, 15, 15));
  g.setPen(Qt::white);
  QFont f = g.font();
  f.setBold(true);
  f.setPixelSize(13);
  g.setFont(f);
  g.drawText(QRectF(17, 17, 15, 15), Qt::AlignCenter, text);
  return p;
}

QPixmap Glyph(const QString& text, const QColor& color) {
  QPixmap p = Canvas();
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(Qt::NoPen);
  g.setBrush(color);
  g.drawRoundedRect(QRectF(2, 2, 28, 28), 6, 6);
  g.setPen(Qt::white);
  QFont f = g.font();
  f.setBold(true);
  f.setPixelSize(text.size() > 1 ? 12 : 18);
  g.setFont(f);
  g.drawText(QRectF(2, 2, 28, 28), Qt::AlignCenter, text);
  return p;
}

QIcon FromPixmap(const QPixmap& p) { return QIcon(p); }

// Every icon is drawn once per application and then shared (a QIcon copy
// is a reference). Made on first use, since pixmaps need the application,
// and dropped while it ends, before the pixmaps' own clean-up.
std::map<std::string, QIcon>* icons = nullptr;

void DropIcons() {
  delete icons;
  icons = nullptr;
}

template <typename Make>
QIcon Shared(const std::string& key, Make make) {
  if (!icons) {
    icons = new std::map<std::string, QIcon>;
    qAddPostRoutine(DropIcons);
  }
  auto it = icons->find(key);
  if (it == icons->end()) it = icons->emplace(key, make()).first;
  return it->second;
}

// An icon made when it is first painted or measured: most commands sit in
// menus that may never open, and drawing their images (or reading the
// style's) is most of what the window's commands cost at start.
class LazyEngine : public QIconEngine {
 public:
  // Without mayBeNull the icon counts as an image before it is made.
  explicit LazyEngine(std::function<QIcon()> make, bool mayBeNull = false)
      : made_(std::make_shared<Made>()), mayBeNull_(mayBeNull) {
    made_->make = std::move(make);
  }
  // An icon with a square image of side smallest, whose size in a view of
  // up to that size is known without making it: its images would answer
  // the asked size, squared.
  static QIcon Square(std::function<QIcon()> make, int smallest) {
    auto* engine = new LazyEngine(std::move(make));
    engine->smallest_ = smallest;
    return QIcon(engine);
  }
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    int side = std::min(size.width(), size.height());
    if (!made_->icon && side > 0 && side <= smallest_) return QSize(side, side);
    return icon().actualSize(size, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return icon().pixmap(size, mode, state);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
    return icon().pixmap(size, scale, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return icon().availableSizes(mode, state);
  }
  bool isNull() override { return mayBeNull_ && icon().isNull(); }
  QString key() const override { return QStringLiteral("kestrel-lazy"); }
  // Copies share what was made.
  QIconEngine* clone() const override { return new LazyEngine(*this); }

 private:
  struct Made {
    std::function<QIcon()> make;
    std::optional<QIcon> icon;
  };
  const QIcon& icon() {
    if (!made_->icon) made_->icon = made_->make();
    return *made_->icon;
  }
  std::shared_ptr<Made> made_;
  bool mayBeNull_;
  int smallest_ = 0;
};

// Qt's own styles take most standard images from PNG files of their own.
// Made here from the same files, read as PNG outright: a file read without
// a format first has every image plugin loaded and asked what it is, which
// cost the window's start more than all its images. Only images known to be
// the very same (a test compares them), and only where the style would use
// those files: Fusion, without an icon theme.
struct BuiltInImage {
  QStyle::StandardPixmap which;
  const char* name;
  int onlySize;  // the style takes this size only; 0: every size of the file
};
constexpr BuiltInImage kBuiltInImages[] = {
    {QStyle::SP_DirClosedIcon, "dirclosed", 16},
    {QStyle::SP_DirOpenIcon, "diropen", 16},
    {QStyle::SP_FileDialogDetailedView, "viewdetailed", 0},
    {QStyle::SP_FileDialogContentsView, "filecontents", 0},
    {QStyle::SP_FileIcon, "file", 0},
    {QStyle::SP_TrashIcon, "trash", 0},
    {QStyle::SP_FileDialogNewFolder, "newdirectory", 0},
    {QStyle::SP_MediaPlay, "media-play", 0},
    {QStyle::SP_MediaStop, "media-stop", 0},
    {QStyle::SP_DialogSaveButton, "standardbutton-save", 0},
    {QStyle::SP_DriveNetIcon, "networkdrive", 16},
    {QStyle::SP_FileDialogInfoView, "fileinfo", 0},
    {QStyle::SP_ArrowDown, "down", 0},
    {QStyle::SP_BrowserReload, "refresh", 0},
    {QStyle::SP_ComputerIcon, "computer", 16},
};

bool StyleUsesItsFiles(const QStyle* style) {
  return style && style->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0 &&
         QIcon::themeName().isEmpty();
}

// Defined below: the images made the same way as the style's.
QIcon ImageFromStyleFiles(QStyle::StandardPixmap which);

// The application's style, with its standard images made when first painted
// or measured: the menu bar and every tool bar make the image of their
// overflow button at once, a button shown only in a window too narrow for
// them, and the style reads every size of that image from its files.
class LazyIconStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                     const QWidget* widget) const override {
    // An option lives only as long as this call: a plain one is kept as a
    // copy, one of a derived kind cannot be.
    if (option && option->type != QStyleOption::SO_Default) {
      return QProxyStyle::standardIcon(which, option, widget);
    }
    std::optional<QStyleOption> kept;
    if (option) kept = *option;
    QPointer<QStyle> base(baseStyle());
    QPointer<QWidget> owner(const_cast<QWidget*>(widget));
    return QIcon(new LazyEngine(
        [base, owner, which, kept] {
          if (!kept && StyleUsesItsFiles(base)) {
            if (QIcon icon = ImageFromStyleFiles(which); !icon.isNull()) return icon;
          }
          return base ? base->standardIcon(which, kept ? &*kept : nullptr, owner) : QIcon();
        },
        true));
  }
};

std::string Key(char family, int a, int b = 0) {
  return family + std::to_string(a) + "," + std::to_string(b);
}

QIcon MakeTreeImage(int index) {

  switch (index) {
    case 0: return FromPixmap(Person(QColor(150, 150, 150)));
    case 1: return FromPixmap(Person(QColor(70, 130, 210)));
    case 2: return Standard(QStyle::SP_DirClosedIcon);
    case 3: return Standard(QStyle::SP_DirOpenIcon);
    case 4: return Standard(QStyle::SP_FileDialogDetailedView);
    case 5: return Standard(QStyle::SP_FileDialogContentsView);
    case 6: return FromPixmap(Box(false));
    case 7: return FromPixmap(Box(true));
    default: return {};
  }
}

QIcon MakeListImage(int index) {
  switch (index) {
    case 1: return Standard(QStyle::SP_FileIcon);
    case 2: return FromPixmap(Handheld());
    case 3: return FromPixmap(Box(false));
    default: return {};
  }
}

QIcon MakeMarkedListImage(int index, int mark) {
  QPixmap base = ListImage(index == 0 ? 1 : index).pixmap(32, 32);
  switch (mark) {
    case 0: return FromPixmap(Badge(base, "=", QColor(40, 150, 60)));
    case 1: return FromPixmap(Badge(base, "-", QColor(120, 120, 120)));
    case 2: return FromPixmap(Badge(base, "+", QColor(210, 50, 40)));
    default: return ListImage(index);
  }
}

QIcon MakeCommandIcon(Command command) {
  switch (command) {
    case Command::InstallFlag: return FromPixmap(Badge(Handheld(), "✓", QColor(40, 150, 60)));
    case Command::SelectAll: return Standard(QStyle::SP_DialogApplyButton);
    case Command::RegInst: return FromPixmap(Badge(Handheld(), "+", QColor(40, 110, 200)));
    case Command::FDelete: return Standard(QStyle::SP_TrashIcon);
    case Command::NewUser: return FromPixmap(Badge(Person(QColor(70, 130, 210)), "+", QColor(40, 150, 60)));
    case Command::NewFolder: return Standard(QStyle::SP_FileDialogNewFolder);
    case Command::BackupFlag: return FromPixmap(Glyph("B", QColor(200, 120, 30)));
    case Command::AddFile: return FromPixmap(Badge(Standard(QStyle::SP_FileIcon).pixmap(32, 32), "+", QColor(40, 150, 60)));
    case Command::ExecHotSync: return Standard(QStyle::SP_MediaPlay);
    case Command::ExitHotSync: return Standard(QStyle::SP_MediaStop);
    // The first letter of the command's name, in the interface language.
    case Command::Config: return FromPixmap(Glyph(Ui(QT_TRANSLATE_NOOP("Kestrel", "設")), QColor(90, 90, 110)));
    case Command::About: return Standard(QStyle::SP_MessageBoxInformation);
    case Command::Backup: return Standard(QStyle::SP_DialogSaveButton);
    case Command::GoSite: return Standard(QStyle::SP_DriveNetIcon);
    case Command::Property: return Standard(QStyle::SP_FileDialogInfoView);
    case Command::Help: return FromPixmap(Glyph("?", QColor(70, 130, 210)));
    case Command::ChangeUser: return FromPixmap(Person(QColor(70, 130, 210)));
    case Command::GetAppList: return Standard(QStyle::SP_ArrowDown);
    case Command::ChkDate: return Standard(QStyle::SP_BrowserReload);
    case Command::Eye: return Standard(QStyle::SP_FileDialogContentsView);
    case Command::ArcTree: return FromPixmap(Box(true));
    case Command::PilotXfer: return Standard(QStyle::SP_ComputerIcon);
    case Command::Refresh: return Standard(QStyle::SP_BrowserReload);
  }
  return {};
}

QIcon ImageFromStyleFiles(QStyle::StandardPixmap which) {
  const BuiltInImage* image = nullptr;
  for (const BuiltInImage& b : kBuiltInImages) {
    if (b.which == which) image = &b;
  }
  if (!image) return {};
  static const QString kFolder = QStringLiteral(":/qt-project.org/styles/commonstyle/images/");
  const QString name = QLatin1String(image->name);
  // The sizes in the order the style adds them: smallest first.
  std::vector<std::pair<int, QString>> files;
  for (const QString& file : QDir(kFolder).entryList({name + "-*.png"}, QDir::Files)) {
    bool ok = false;
    int size = file.mid(name.size() + 1).chopped(4).toInt(&ok);
    if (ok && (image->onlySize == 0 || size == image->onlySize)) files.emplace_back(size, file);
  }
  std::sort(files.begin(), files.end());
  QIcon icon;
  for (const auto& [size, file] : files) {
    QImageReader reader(kFolder + file, "png");
    QImage read = reader.read();
    if (read.isNull()) return {};  // not what this build of Qt ships: ask the style
    icon.addPixmap(QPixmap::fromImage(read));
  }
  return icon;
}

}  // namespace

QIcon ImageAsTheStyleMakesIt(QStyle::StandardPixmap which) { return ImageFromStyleFiles(which); }

QIcon MakeNodeIcon(int normal, int selected) {
  QIcon icon;
  for (int side : {16, 32}) {
    QSize size(side, side);
    icon.addPixmap(TreeImage(normal).pixmap(size), QIcon::Normal);
    icon.addPixmap(TreeImage(selected).pixmap(size), QIcon::Selected);
  }
  return icon;
}

QStyle* NewApplicationStyle() {
  // The style the application would have (its -style argument, its
  // platform's choice), only with its images made lazily.
  return new LazyIconStyle(QStyleFactory::create(QApplication::style()->name()));
}

QIcon TreeImage(int index) {
  return Shared(Key('t', index), [index] { return MakeTreeImage(index); });
}

QIcon NodeIcon(int normal, int selected) {
  // Made when the tree first paints: the tree measures its rows at start,
  // with images of 16.
  return Shared(Key('n', normal, selected), [normal, selected] {
    return LazyEngine::Square([normal, selected] { return MakeNodeIcon(normal, selected); }, 16);
  });
}

QIcon ListImage(int index) {
  return Shared(Key('l', index), [index] { return MakeListImage(index); });
}

QIcon MarkedListImage(int index, int mark) {
  return Shared(Key('m', index, mark), [index, mark] { return MakeMarkedListImage(index, mark); });
}

QIcon CommandIcon(Command command) {
  return Shared(Key('c', static_cast<int>(command)),
                [command] { return QIcon(new LazyEngine([command] { return MakeCommandIcon(command); })); });
}

QPixmap Drag1Cursor() {
  QPixmap p = Canvas(24);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(Qt::black, 1));
  g.setBrush(Qt::white);
  g.drawPolygon(QPolygonF({QPointF(0, 0), QPointF(0, 15), QPointF(4, 11), QPointF(7, 17),
                           QPointF(9, 16), QPointF(6, 10), QPointF(11, 10)}));
  g.drawRect(QRectF(12, 12, 10, 10));
  g.drawLine(QPointF(17, 14), QPointF(17, 20));
  g.drawLine(QPointF(14, 17), QPointF(20, 17));
  return p;
}

QIcon CommandIcon(const CommandSpec& commandSpec) {
  if (!commandSpec.icon.empty()) {
    QString file = QString::fromStdString(commandSpec.icon);
    return Shared("f" + commandSpec.icon, [file] { return QIcon(new LazyEngine([file] { return QIcon(file); })); });
  }
  if (auto command = CommandNamed(commandSpec.name)) return CommandIcon(*command);
  return QIcon();
}

}  // namespace kestrel

// The images of the main window: the tree's (ImageList1), the file list's
// in two sizes, the commands' (IListBtn) and the drag cursor "DRAG1".
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QStyle>

#include "shell/CommandRouter.h"


namespace kestrel {

// The style to give the application: its own, drawing the same, but making
// each standard image only when it is first painted or measured.
QStyle* NewApplicationStyle();

// Tree image 0-7 (user, current user, folder, open folder, AppList, open
// AppList, archive, open archive).
QIcon TreeImage(int index);
// A tree node's icon: its normal image, its selected image when selected.
QIcon NodeIcon(int normal, int selected);
// The same icon, made at once from the images at 16 and 32.
QIcon MakeNodeIcon(int normal, int selected);
// List image 1-3 (file, Palm file, archive); a null icon for 0.
QIcon ListImage(int index);
// A list image with a state image beside it: the update check's mark 0
// (the listed date), 1 (an older version listed), 2 (a newer one listed).
QIcon MarkedListImage(int index, int mark);
// The item data role that holds a list row's state image (-1 for none).
inline constexpr int kStateImageRole = Qt::UserRole + 1;
QIcon CommandIcon(Command command);
// A registered command's icon: its image file, else the window's own image
// for the command's name (none for a name the window does not know).
QIcon CommandIcon(const CommandSpec& commandSpec);
// A standard image as Fusion makes it from Qt's files, read without asking
// the image plugins; null for one it makes otherwise. (For the tests.)
QIcon ImageAsTheStyleMakesIt(QStyle::StandardPixmap which);
// The copy cursor while list items are dragged onto the tree.
QPixmap Drag1Cursor();

}  // namespace kestrel

// Shell file associations: making Kestrel+ the program that opens files of a
// handler's extension, and undoing it, in the classes root of the settings
// store (and on the desktop, see platform/DesktopAssociations.h). The open
// command that was there before the first association is kept in
// "OldCommand" so that undoing brings it back.
#pragma once

#include <string>

#include "handlers/table/ExtHandlerTable.h"

namespace kestrel {

// The open command for a program: its path, in double quotes when it holds
// a blank, then " \"%1\"".
std::string OpenCommandFor(const std::string& programPath);

// Both say what went wrong in an error box and answer false; true when the
// association was made / undone. RestoreAssociation also answers false when
// the user declines to remove an association that has nothing to restore.
// An empty `programPath` stands for kestrel-plus.
bool AssociateExtension(const ExtHandler& entry, const std::string& programPath = "");
bool RestoreAssociation(const ExtHandler& entry);

// The same for an entry of a table: an index outside the table is refused
// with "関連づけができません" / "関連づけの解除ができません".
bool AssociateEntry(const ExtHandlerTable& table, int index);
bool RestoreEntry(const ExtHandlerTable& table, int index);

}  // namespace kestrel

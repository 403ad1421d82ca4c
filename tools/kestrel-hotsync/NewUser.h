// A handheld's first HotSync with this desktop, as with Palm Desktop: a
// handheld whose user name Users.dat does not know becomes a desktop user,
// with a record in Users.dat, a short name and the user's folders.
#pragma once

#include <cstdint>
#include <string>

#include "users/UsersDat.h"

namespace kestrel::hotsyncd {

struct NewUser {
  enum Answer { Planned, Known, Refused };
  Answer answer = Refused;
  std::string why;        // for Refused
  UsersDatRecord record;  // for Planned
  bool freshId = false;   // the handheld had no ID: it must be given record.userId
  std::string datPath;
  std::string before;  // Users.dat as read ("" when there was none)
  std::string after;   // Users.dat with the new record
};

// What a first HotSync of this handheld user makes: Known when Users.dat
// has the name in any record (its ID may differ: nothing is made then);
// Refused with the reason when Users.dat cannot be read, is not of the
// layout written here, or the handheld's ID is another user's.
NewUser PlanNewUser(const std::string& desktopFolder, const std::string& nameSjis,
                    std::uint32_t handheldId);

// Writes the planned Users.dat (beside it first, synced, then renamed over
// it) and makes the user's folder and its Install folder. False with the
// reason when Users.dat changed since it was read or cannot be written;
// Users.dat is then as it was.
bool MakeNewUser(const std::string& desktopFolder, const NewUser& plan, std::string* why);

}  // namespace kestrel::hotsyncd

// The list of a user node: five rows of the user's information; a
// double-click on the user ID row refreshes it from Users.dat; Del in the
// tree removes the user after asking.
#pragma once

#include "shell/ListSource.h"

namespace kestrel {

class KestrelMain;

class UserSource : public ListSource {
 public:
  explicit UserSource(KestrelMain& main) : main_(main) {}
  void Fill(ListContext& context) override;
  void DoubleClick(ListContext& context, int item, bool alt) override;
  void Delete(ListContext& context, Focus focus) override;
  // The rows are no files: an edit is allowed but never renames anything.

 private:
  KestrelMain& main_;
};

}  // namespace kestrel

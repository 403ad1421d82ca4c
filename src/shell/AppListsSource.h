// The AppList nodes (kind 9) until the AppList subsystem brings its own
// source: "AppLists" lists the *AppList.txt files of the program's folder;
// "AppList", "My AppList" and the categories show their columns, empty.
// Nothing there is edited, renamed or deleted; a double-click asks for the
// related site ("ActGoSite").
#pragma once

#include "shell/ListSource.h"

namespace kestrel {

class KestrelMain;

class AppListsSource : public ListSource {
 public:
  explicit AppListsSource(KestrelMain& main) : main_(main) {}
  void Fill(ListContext& context) override;
  void DoubleClick(ListContext& context, int item, bool alt) override;
  bool EditAllowed(const ListContext&) const override { return false; }

 private:
  KestrelMain& main_;
};

}  // namespace kestrel

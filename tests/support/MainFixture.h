// The main window's logic without widgets over an AppFixture home, and the
// ways its tests reach the tree's nodes and the list's items.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "shell/KestrelMain.h"
#include "support/AppFixture.h"

namespace kestrel::test {

class MainFixture : public AppFixture {
 protected:
  void Start() {
    main.ReadLocations();
    main.BuildTree();
  }
  // The node with this caption below `parent` (-1: at the top); -1, and a
  // failure, when there is none.
  int Node(int parent, const std::string& caption) {
    const UserTree& t = main.tree();
    for (int n : parent < 0 ? t.topLevel() : t.children(parent)) {
      if (t.caption(n) == caption) return n;
    }
    ADD_FAILURE() << "no node " << caption;
    return -1;
  }
  std::vector<std::string> Captions() {
    std::vector<std::string> out;
    for (const FileItem& i : main.list().items) out.push_back(i.caption);
    return out;
  }
  // Marks these list items selected, and nothing else; fails on one that
  // is not there.
  void MarkItems(std::initializer_list<std::string> captions) {
    main.list().selectAll(false);
    for (const std::string& c : captions) {
      int i = main.list().find(c);
      ASSERT_GE(i, 0) << c;
      main.list().items[static_cast<std::size_t>(i)].selected = true;
    }
  }

  KestrelMain main;
};

}  // namespace kestrel::test

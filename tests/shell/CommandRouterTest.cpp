// The seams of the main window's logic, as another subsystem uses them:
// commands registered with the router and enabled per node kind, their
// places in the layout, a list source for the AppList nodes, and the
// context a handler is given.
#include "shell/CommandRouter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "shell/KestrelMain.h"
#include "shell/MenuLayout.h"
#include "shell/Session.h"
#include "support/MainFixture.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;
namespace fs = std::filesystem;

namespace {

class CommandRouterTest : public MainFixture {
 protected:
  static std::vector<std::string> Names(const MenuPlace& place) {
    std::vector<std::string> out;
    for (const MenuSlot& s : place.entries) out.push_back(s.command);
    return out;
  }

};

// What a handler saw of the window when it ran.
struct Seen {
  int runs = 0;
  std::string user, node, parent;
  int kind = -1, level = -1;
  std::vector<std::string> files;
};

CommandSpec Recording(const std::string& name, SelectionRule rule, Seen& seen) {
  CommandSpec commandSpec;
  commandSpec.name = name;
  commandSpec.caption = name + "(&T)";
  commandSpec.enabled = std::move(rule);
  commandSpec.run = [&seen](MainContext& context) {
    ++seen.runs;
    if (UserInfo* u = context.selectedUser()) seen.user = u->userName();
    NodeInfo n = context.selectedNode();
    seen.node = n.caption;
    seen.parent = n.parentCaption;
    seen.kind = n.kind;
    seen.level = n.level;
    seen.files = context.selectedFileNames();
  };
  return commandSpec;
}

TEST_F(CommandRouterTest, ARegisteredCommandFollowsItsRuleAndRunsWithTheSelection) {
  AddUser("Taro Yamada", "TaroY", 7);
  SetLastUser("TaroY");
  WriteFile(InstallOf("TaroY") + "a.prc", "a");
  WriteFile(InstallOf("TaroY") + "b.prc", "b");
  fs::create_directories(BackupOf("TaroY") + "sub");
  Seen seen;
  main.router().Register(Recording("ActBackupOnly", [](const Selection& s) { return s.kind == kNodeBackup; }, seen));
  Start();
  int user = Node(-1, "Taro Yamada");

  // Selected at start: the install node.
  EXPECT_FALSE(main.commands().isEnabled("ActBackupOnly"));
  EXPECT_FALSE(main.RunCommand("ActBackupOnly"));
  EXPECT_EQ(seen.runs, 0);

  main.Select(Node(Node(user, "バックアップ"), "sub"));
  EXPECT_TRUE(main.commands().isEnabled("ActBackupOnly"));
  WriteFile(BackupOf("TaroY") + "sub/x.prc", "x");
  WriteFile(BackupOf("TaroY") + "sub/y.prc", "y");
  main.Refresh();
  main.list().items[1].selected = true;
  EXPECT_TRUE(main.RunCommand("ActBackupOnly"));
  EXPECT_EQ(seen.runs, 1);
  EXPECT_EQ(seen.user, "Taro Yamada");
  EXPECT_EQ(seen.node, "sub");
  EXPECT_EQ(seen.parent, "バックアップ");
  EXPECT_EQ(seen.kind, kNodeBackup);
  EXPECT_EQ(seen.level, 2);
  EXPECT_EQ(seen.files, std::vector<std::string>{"y.prc"});

  main.Select(Node(-1, "AppLists"));
  EXPECT_FALSE(main.commands().isEnabled("ActBackupOnly"));
}

TEST_F(CommandRouterTest, APlaceholderStaysDisabledUntilItsSubsystemRegistersTheCommand) {
  AddUser("Taro Yamada", "TaroY", 7);
  SetLastUser("TaroY");
  WriteFile(home / "a.zip", "z");
  Start();
  main.QueueFiles({home / "a.zip"});
  int archive = main.tree().children(Node(-1, "Taro Yamada")).back();
  main.Select(archive);
  const std::string eye = InfoOf(Command::Eye).name;
  ASSERT_TRUE(main.router().has(eye));
  EXPECT_FALSE(main.commands().isEnabled(eye));
  main.router().setEnabled(eye, true);  // no handler: it stays off
  EXPECT_FALSE(main.commands().isEnabled(eye));

  std::size_t place = 0;
  for (; place < main.router().all().size(); ++place) {
    if (main.router().all()[place].name == eye) break;
  }
  Seen seen;
  main.router().Register(Recording(eye, [](const Selection& s) { return s.kind == kNodeArchive; }, seen));
  EXPECT_EQ(main.router().all()[place].name, eye) << "a command taken over keeps its place";
  EXPECT_EQ(main.router().all()[place].caption, eye + "(&T)");
  main.Refresh();
  EXPECT_TRUE(main.commands().isEnabled(eye));
  EXPECT_TRUE(main.RunCommand(eye));
  EXPECT_EQ(seen.node, "a.zip");
  main.Select(Node(Node(-1, "Taro Yamada"), "インストール"));
  EXPECT_FALSE(main.commands().isEnabled(eye));
}

TEST_F(CommandRouterTest, ANamelessCommandIsRefusedAndNothingChanges) {
  std::size_t before = main.router().all().size();
  CommandSpec nameless;
  nameless.caption = "何か";
  nameless.run = [](MainContext&) {};
  EXPECT_THROW(main.router().Register(nameless), std::invalid_argument);
  nameless.name = kSeparator;
  EXPECT_THROW(main.router().Register(nameless), std::invalid_argument);
  nameless.name = kPortItemsSlot;
  EXPECT_THROW(main.router().Register(nameless), std::invalid_argument);
  EXPECT_EQ(main.router().all().size(), before);
  EXPECT_FALSE(main.RunCommand("NoSuchCommand"));
  EXPECT_FALSE(main.router().SetHandler("NoSuchCommand", [](MainContext&) {}));
  EXPECT_EQ(main.router().all().size(), before);
}

TEST_F(CommandRouterTest, CheckMarksAndCaptionsFollowTheRules) {
  AddUser("Taro Yamada", "TaroY", 7, [](UserInfo& u) { u.setShowArchives(true); });
  SetLastUser("TaroY");
  Start();
  const CommandRouter& r = main.commands();
  EXPECT_TRUE(r.isChecked(Command::ArcTree));
  EXPECT_TRUE(r.isChecked(Command::BackupFlag));
  EXPECT_EQ(r.captionNow("ActInstallFlag"), "インストール予約");
  main.InstallFlag();
  EXPECT_EQ(r.captionNow("ActInstallFlag"), "インストール解除");
  EXPECT_TRUE(InstallFlagOf("7"));
  main.Select(Node(-1, "AppLists"));
  EXPECT_FALSE(r.isChecked(Command::InstallFlag));
  EXPECT_FALSE(r.isEnabled(Command::InstallFlag));
  EXPECT_FALSE(r.isChecked(Command::ArcTree));
}

TEST_F(CommandRouterTest, ASlotGoesAfterItsNeighbourOrAtTheEndOfItsPlace) {
  MenuLayout& layout = main.layout();
  EXPECT_TRUE(layout.PlaceAfter("ToolBar3", "ActEye", MenuSlot("ActNext")));
  EXPECT_TRUE(layout.PlaceAfter("PopupMenu1", "NotThere", MenuSlot("ActLast")));
  EXPECT_FALSE(layout.PlaceAfter("NoSuchBar", "ActEye", MenuSlot("ActLost")));
  std::vector<std::string> bar = Names(*layout.find("ToolBar3"));
  ASSERT_GE(bar.size(), 4u);
  EXPECT_EQ(bar[1], "ActEye");
  EXPECT_EQ(bar[2], "ActNext");
  EXPECT_EQ(bar[3], "ActGoSite");
  EXPECT_EQ(Names(layout.popup).back(), "ActLast");
  for (const MenuPlace& m : layout.menus) {
    for (const MenuSlot& s : m.entries) EXPECT_NE(s.command, "ActLost");
  }
}

// The AppList subsystem's source, as it would plug in.
class CatalogueSource : public ListSource {
 public:
  void Fill(ListContext& context) override {
    ++fills;
    FileList& list = context.list();
    list.columns = {{"ファイル名", 150}, {"説明", 200}};
    list.clear();
    if (context.selectedNode().caption == "My AppList") {
      list.items.push_back({"Mine.prc", {"my own"}});
    } else {
      list.items.push_back({"Vexed.prc", {"a puzzle"}});
      list.items.push_back({"Clock.prc", {"a clock"}});
    }
    context.SortAfterRefill();
    context.setStatusText(3, "");
  }
  void DoubleClick(ListContext& context, int item, bool) override {
    clicked = context.list().items[static_cast<std::size_t>(item)].caption;
  }
  void Delete(ListContext& context, Focus focus) override {
    deleted = context.selectedFileNames();
    deletedFrom = focus;
  }
  bool EditAllowed(const ListContext&) const override { return false; }

  int fills = 0;
  std::string clicked;
  std::vector<std::string> deleted;
  Focus deletedFrom = Focus::Other;
};

TEST_F(CommandRouterTest, TheAppListNodesKeepTheirListUntilTheirSourceIsRegistered) {
  WriteFile(home / "AppList.txt", "x");
  WriteFile(home / "MyAppList.txt", "y");
  WriteFile(home / "notes.txt", "z");
  Start();
  int appLists = Node(-1, "AppLists");
  int appList = Node(appLists, "AppList");
  main.Select(appLists);
  std::vector<std::string> files;
  for (const FileItem& i : main.list().items) files.push_back(i.caption);
  EXPECT_EQ(files, (std::vector<std::string>{"AppList.txt", "MyAppList.txt"}));
  main.Select(appList);
  EXPECT_EQ(main.list().count(), 0);
  EXPECT_EQ(main.list().columns.size(), 6u);
  EXPECT_FALSE(main.EditAllowed());

  auto source = std::make_shared<CatalogueSource>();
  main.SetListSource(kNodeAppList, source);
  main.Refresh();
  EXPECT_EQ(source->fills, 1);
  ASSERT_EQ(main.list().count(), 2);
  EXPECT_EQ(main.list().items[0].caption, "Clock.prc");  // sorted by name
  EXPECT_FALSE(main.EditAllowed());
  EXPECT_FALSE(main.Rename(0, "Other.prc"));
  main.DoubleClick(1, false);
  EXPECT_EQ(source->clicked, "Vexed.prc");
  main.list().items[0].selected = true;
  main.FDelete(Focus::List);
  EXPECT_EQ(source->deleted, std::vector<std::string>{"Clock.prc"});
  EXPECT_EQ(source->deletedFrom, Focus::List);
  main.Select(Node(appLists, "My AppList"));
  ASSERT_EQ(main.list().count(), 1);
  EXPECT_EQ(main.list().items[0].caption, "Mine.prc");
  // Out of range: nothing reaches the source.
  main.DoubleClick(5, false);
  EXPECT_EQ(source->clicked, "Vexed.prc");
}

TEST_F(CommandRouterTest, TheContextAddsUserSubtreesRebuildsBackupsAndSetsTheStatus) {
  AddUser("Taro Yamada", "TaroY", 7);
  SetLastUser("TaroY");
  Start();
  ASSERT_EQ(main.tree().topLevel().size(), 2u);

  // A user the add-user dialog made: appended to the session, given a subtree.
  AddUser("John Smith", "JohnS", 8);
  auto john = std::make_unique<UserInfo>();
  ASSERT_EQ(john->OpenUser("John Smith", false), 0);
  MainContext& context = main;
  int index = context.session().AddUser(std::move(john));
  context.AddUserSubtree(index);
  int user = Node(-1, "John Smith");
  EXPECT_EQ(main.tree().children(user).size(), 3u);
  EXPECT_EQ(main.tree().record(user).user, index);
  EXPECT_EQ(context.session().IndexOf(main.UserAt(index)), index);

  fs::create_directories(BackupOf("JohnS") + "Games");
  int backup = Node(user, "バックアップ");
  EXPECT_TRUE(main.tree().children(backup).empty());
  context.RebuildBackupSubtree(index);
  ASSERT_EQ(main.tree().children(backup).size(), 1u);
  EXPECT_EQ(main.tree().caption(main.tree().children(backup)[0]), "Games");

  context.setStatusText(3, "取得中");
  EXPECT_EQ(main.status(3), "取得中");
  context.setStatusText(9, "nowhere");  // no such panel: nothing changes
  EXPECT_EQ(main.status(3), "取得中");
  EXPECT_EQ(&context.prompter(), &ThePrompter());
}

// The AppList catalogue's share of the session.
struct Catalogue : SessionPart {
  explicit Catalogue(bool* gone) : gone_(gone) {}
  ~Catalogue() override { *gone_ = true; }
  bool* gone_;
};

TEST(SessionTest, HoldsTheAppListCatalogueForItsLife) {
  bool gone = false;
  {
    Session session;
    EXPECT_EQ(session.appLists<Catalogue>(), nullptr);
    session.setAppLists(std::make_unique<Catalogue>(&gone));
    ASSERT_NE(session.appLists<Catalogue>(), nullptr);
    EXPECT_FALSE(gone);
  }
  EXPECT_TRUE(gone);
}

}  // namespace

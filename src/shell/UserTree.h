// The main window's user tree without the widget: one record per node, in
// creation order (a node is its position in that list), the folder path of
// every child node, and the parent/child structure the widget mirrors.
// Records are only ever appended; a deleted node keeps its record.
#pragma once

#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kestrel {

enum NodeKind : int {
  kNodeUser = 0,      // a registered user (top level)
  kNodeInstall = 1,   // the user's install folder
  kNodeBackup = 2,    // the backup folder and every subfolder below it
  kNodePalm = 3,      // the user's Palm folder and its subfolders
  kNodeArchive = 8,   // an .lzh or .zip archive shown as a folder
  kNodeAppList = 9,   // "AppLists" and the nodes below it
};

struct NodeRecord {
  int kind = kNodeUser;
  int user = -1;       // index in the user list; -1 for none
  int pathIndex = -1;  // index in the folder path list; -1 for top-level nodes
};

// The images of the tree's image list: normal and selected.
struct NodeImages {
  int normal = 0;
  int selected = 0;
};
NodeImages ImagesOfKind(int kind);

// Told about every change of the structure, so that a widget can follow.
class TreeObserver {
 public:
  virtual ~TreeObserver() = default;
  virtual void TreeNodeAdded(int /*node*/) {}
  // The node leaves with its whole subtree (called before the children go).
  virtual void TreeNodeRemoved(int /*node*/) {}
  // Image or expanded state changed.
  virtual void TreeNodeChanged(int /*node*/) {}
};

// What AddSubfolders adds for a folder, read without touching a tree: the
// nodes in the order they are added, each with its parent's place in the
// list (-1: the folder's own node).
struct ScannedNode {
  int parent = -1;
  std::string path;
  std::string name;
  bool archive = false;
};
using FolderScan = std::vector<ScannedNode>;
FolderScan ScanSubfolders(const std::string& folder, bool withArchives);

// Scans folders, in order, on another core while the caller goes on with
// other work; one asked for before its turn is scanned by the caller (two
// folders read at once are read no faster).
class FolderScanner {
 public:
  struct Job {
    std::string folder;
    bool withArchives = false;
  };
  explicit FolderScanner(std::vector<Job> jobs);
  ~FolderScanner();
  FolderScanner(const FolderScanner&) = delete;
  FolderScanner& operator=(const FolderScanner&) = delete;
  // The scan of a job for this folder and setting not taken yet, none when
  // there is no such job; what a failed scan threw is thrown here.
  std::optional<FolderScan> take(const std::string& folder, bool withArchives);
  // Whether a job for this folder and setting is there, taken or not.
  bool has(const std::string& folder, bool withArchives) const;

 private:
  enum class State { Waiting, Scanning, Done };
  void Work();
  void Scan(std::size_t job);

  std::vector<Job> jobs_;
  std::vector<FolderScan> results_;
  std::vector<std::exception_ptr> errors_;
  std::vector<State> states_;
  std::vector<bool> taken_;
  std::mutex mutex_;
  std::condition_variable done_;
  std::thread worker_;
};

class UserTree {
 public:
  void setObserver(TreeObserver* observer) { observer_ = observer; }

  // Appends a node: top level when parent is -1 (no folder path), else as
  // the parent's last child with `path` appended to the folder path list.
  int AddNode(int parent, int user, const std::string& path, const std::string& caption,
              int kind);
  // Adds a child of `kind` for every subfolder of `folder` (path: folder +
  // name + separator), recursively; then, with `withArchives`, one archive
  // node per *.zip and *.lzh file of the folder, names sorted.
  void AddSubfolders(int node, int user, bool withArchives, const std::string& folder, int kind);
  // The same from a scan made beforehand.
  void AddScanned(int node, int user, const FolderScan& scan, int kind);
  // AddSubfolders put off until the node's children are first wanted: asked
  // for (children()), given another child, expanded, or shown (the node's
  // parent expanded, or a node beside or below it selected).
  void AddSubfoldersLater(int node, int user, bool withArchives, const std::string& folder, int kind);
  // Makes the put-off children of the node's ancestors and of their
  // children, so that everything shown around a selected node is there.
  void MakeAround(int node);
  // Removes a node and its subtree from the tree; the records stay.
  void DeleteNode(int node);
  // Removes the children; `detach` also sets their records' user to -1.
  void DeleteChildren(int node, bool detach);

  int count() const { return static_cast<int>(nodes_.size()); }
  bool valid(int node) const { return node >= 0 && node < count(); }
  bool alive(int node) const { return valid(node) && nodes_[node].alive; }
  const NodeRecord& record(int node) const { return nodes_.at(node).record; }
  const std::string& caption(int node) const { return nodes_.at(node).caption; }
  int parent(int node) const { return nodes_.at(node).parent; }
  // A node's children; put-off ones are made first (the tree is the same
  // either way, so a const tree may make them).
  const std::vector<int>& children(int node) const {
    const_cast<UserTree*>(this)->MakeChildren(node);
    return nodes_.at(node).children;
  }
  const std::vector<int>& topLevel() const { return top_; }
  int level(int node) const;
  // The folder path of a node: "" for top-level nodes.
  std::string FolderOf(int node) const;
  // Gives a node another folder path (a user's backup folder changed).
  void SetFolder(int node, const std::string& path);

  int image(int node) const { return nodes_.at(node).image; }
  void setImage(int node, int image);
  bool expanded(int node) const { return nodes_.at(node).expanded; }
  void setExpanded(int node, bool expanded);

  // The level-0 ancestor when it is a user node; -1 otherwise.
  int UserTopNode(int node) const;
  // The live user node of a user; -1 when there is none.
  int UserNodeOf(int user) const;
  // The folder of the first record (in creation order) of kind 1, resp. 2,
  // carrying the user; "" when there is none.
  std::string InstallFolderOf(int user) const;
  std::string BackupFolderOf(int user) const;
  // The first record of a kind for a user; -1 when there is none.
  int FirstNodeOf(int user, int kind) const;
  // The live child of `parent` with this caption; -1 when there is none.
  int ChildByCaption(int parent, const std::string& caption) const;

 private:
  struct Later {
    int user = -1;
    bool withArchives = false;
    std::string folder;
    int kind = kNodeBackup;
  };
  struct Node {
    std::optional<Later> later;  // subfolders to add when first wanted
    NodeRecord record;
    int parent = -1;
    std::vector<int> children;
    std::string caption;
    int image = 0;
    bool expanded = false;
    bool alive = true;
  };
  void Bury(int node, bool detach);
  void MakeChildren(int node);
  // Makes the put-off children of each of the node's children.
  void MakeChildrenOfChildren(int node);
  // Drops the put-off children of a subtree about to go.
  void Forgo(int node);

  std::vector<Node> nodes_;
  std::vector<int> top_;
  std::vector<std::string> paths_;
  TreeObserver* observer_ = nullptr;
};

}  // namespace kestrel

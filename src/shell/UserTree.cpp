#include "shell/UserTree.h"

#include <algorithm>
#include <system_error>

#include "common/FolderList.h"
#include "common/Paths.h"
#include "platform/FileSystem.h"
#include "platform/HelperThread.h"
#include "shell/FileList.h"

namespace kestrel {

NodeImages ImagesOfKind(int kind) {
  switch (kind) {
    case kNodeUser: return {0, 1};
    case kNodeAppList: return {4, 5};
    case kNodeArchive: return {6, 7};
    default: return {2, 3};
  }
}

int UserTree::AddNode(int parent, int user, const std::string& path, const std::string& caption,
                      int kind) {
  Node n;
  n.record.kind = kind;
  n.record.user = user;
  n.caption = caption;
  n.image = ImagesOfKind(kind).normal;
  n.parent = valid(parent) ? parent : -1;
  // A new child comes after the subfolders put off: they were there first.
  if (n.parent >= 0) MakeChildren(n.parent);
  int id = count();
  if (n.parent < 0) {
    top_.push_back(id);
  } else {
    n.record.pathIndex = static_cast<int>(paths_.size());
    paths_.push_back(path);
    nodes_[n.parent].children.push_back(id);
  }
  nodes_.push_back(std::move(n));
  if (observer_) observer_->TreeNodeAdded(id);
  return id;
}

namespace {

void Scan(const std::string& folderIn, bool withArchives, int parent, FolderScan& out) {
  FileSystem& fs = TheFileSystem();
  if (folderIn.empty() || !fs.isDirectory(folderIn)) return;
  std::string folder = WithTrailingBackslash(folderIn);
  std::vector<std::string> names;
  ListFolder(folder, "*.*", ListOptions{.attributes = kAttrDirectory}, names);
  for (const std::string& name : names) {
    std::string path = folder + name + kPathSeparator;
    out.push_back(ScannedNode{parent, path, name, false});
    int self = static_cast<int>(out.size()) - 1;
    // A folder link is shown but not walked: it may lead back up the tree.
    if (!IsLink(path)) Scan(path, withArchives, self, out);
  }
  if (!withArchives) return;
  std::vector<std::string> archives;
  ListOptions files{.attributes = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrVolume |
                                  kAttrArchive,
                    .includePlain = true};
  ListFolder(folder, "*.zip", files, archives);
  ListFolder(folder, "*.lzh", files, archives);
  std::stable_sort(archives.begin(), archives.end(), [](const std::string& a, const std::string& b) {
    return CompareText(a, b) < 0;
  });
  for (const std::string& name : archives) out.push_back(ScannedNode{parent, folder + name, name, true});
}

}  // namespace

FolderScan ScanSubfolders(const std::string& folder, bool withArchives) {
  FolderScan scan;
  Scan(folder, withArchives, -1, scan);
  return scan;
}

FolderScanner::FolderScanner(std::vector<Job> jobs)
    : jobs_(std::move(jobs)), results_(jobs_.size()), errors_(jobs_.size()),
      states_(jobs_.size(), State::Waiting), taken_(jobs_.size(), false) {
  if (jobs_.empty()) return;
  try {
    worker_ = StartBeside([this] { Work(); });
  } catch (const std::system_error&) {
    // No second thread: each is scanned when asked for.
  }
}

FolderScanner::~FolderScanner() {
  {
    // What nobody asked for is not worth waiting for.
    std::lock_guard lock(mutex_);
    for (State& state : states_) {
      if (state == State::Waiting) state = State::Done;
    }
  }
  if (worker_.joinable()) worker_.join();
}

void FolderScanner::Scan(std::size_t job) {
  FolderScan scan;
  std::exception_ptr error;
  try {
    scan = ScanSubfolders(jobs_[job].folder, jobs_[job].withArchives);
  } catch (...) {
    error = std::current_exception();
  }
  std::lock_guard lock(mutex_);
  results_[job] = std::move(scan);
  errors_[job] = error;
  states_[job] = State::Done;
  done_.notify_all();
}

void FolderScanner::Work() {
  for (std::size_t job = 0; job < jobs_.size(); ++job) {
    {
      std::lock_guard lock(mutex_);
      if (states_[job] != State::Waiting) continue;
      states_[job] = State::Scanning;
    }
    Scan(job);
  }
}

bool FolderScanner::has(const std::string& folder, bool withArchives) const {
  return std::any_of(jobs_.begin(), jobs_.end(), [&](const Job& job) {
    return job.folder == folder && job.withArchives == withArchives;
  });
}

std::optional<FolderScan> FolderScanner::take(const std::string& folder, bool withArchives) {
  std::size_t job = 0;
  while (job < jobs_.size() &&
         (taken_[job] || jobs_[job].folder != folder || jobs_[job].withArchives != withArchives)) {
    ++job;
  }
  if (job == jobs_.size()) return std::nullopt;
  taken_[job] = true;
  std::unique_lock lock(mutex_);
  if (states_[job] == State::Waiting) {
    // Not begun yet: reading it here is sooner than waiting for its turn.
    states_[job] = State::Scanning;
    lock.unlock();
    Scan(job);
    lock.lock();
  }
  done_.wait(lock, [&] { return states_[job] == State::Done; });
  if (errors_[job]) std::rethrow_exception(errors_[job]);
  return std::move(results_[job]);
}

void UserTree::AddSubfolders(int node, int user, bool withArchives, const std::string& folder,
                             int kind) {
  AddScanned(node, user, ScanSubfolders(folder, withArchives), kind);
}

void UserTree::AddScanned(int node, int user, const FolderScan& scan, int kind) {
  std::vector<int> made;
  made.reserve(scan.size());
  for (const ScannedNode& n : scan) {
    int parent = n.parent < 0 ? node : made[static_cast<std::size_t>(n.parent)];
    made.push_back(AddNode(parent, user, n.path, n.name, n.archive ? kNodeArchive : kind));
  }
}

void UserTree::AddSubfoldersLater(int node, int user, bool withArchives, const std::string& folder,
                                  int kind) {
  if (!alive(node)) return;
  nodes_[node].later = Later{user, withArchives, folder, kind};
}

void UserTree::MakeChildren(int node) {
  if (!valid(node) || !nodes_[node].later) return;
  Later later = std::move(*nodes_[node].later);
  nodes_[node].later.reset();
  if (nodes_[node].alive) AddSubfolders(node, later.user, later.withArchives, later.folder, later.kind);
}

void UserTree::MakeAround(int node) {
  if (!alive(node)) return;
  for (int a = parent(node); a >= 0; a = parent(a)) MakeChildrenOfChildren(a);
  MakeChildren(node);
}

void UserTree::MakeChildrenOfChildren(int node) {
  // Copied: making children appends nodes.
  std::vector<int> shown = children(node);
  for (int c : shown) MakeChildren(c);
}

void UserTree::Forgo(int node) {
  nodes_[node].later.reset();
  for (int child : nodes_[node].children) Forgo(child);
}

void UserTree::Bury(int node, bool detach) {
  Node& n = nodes_[node];
  n.alive = false;
  n.later.reset();
  if (detach) n.record.user = -1;
  for (int child : n.children) Bury(child, detach);
}

void UserTree::DeleteNode(int node) {
  if (!alive(node)) return;
  Forgo(node);
  if (observer_) observer_->TreeNodeRemoved(node);
  int p = nodes_[node].parent;
  auto& siblings = p < 0 ? top_ : nodes_[p].children;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), node), siblings.end());
  Bury(node, false);
}

void UserTree::DeleteChildren(int node, bool detach) {
  if (!alive(node)) return;
  Forgo(node);
  std::vector<int> children = nodes_[node].children;
  for (int child : children) {
    if (observer_) observer_->TreeNodeRemoved(child);
    Bury(child, detach);
  }
  nodes_[node].children.clear();
}

int UserTree::level(int node) const {
  int depth = 0;
  for (int p = parent(node); p >= 0; p = parent(p)) ++depth;
  return depth;
}

std::string UserTree::FolderOf(int node) const {
  int index = record(node).pathIndex;
  if (index < 0 || index >= static_cast<int>(paths_.size())) return "";
  return paths_[static_cast<std::size_t>(index)];
}

void UserTree::SetFolder(int node, const std::string& path) {
  int index = record(node).pathIndex;
  if (index >= 0 && index < static_cast<int>(paths_.size())) paths_[static_cast<std::size_t>(index)] = path;
}

void UserTree::setImage(int node, int image) {
  if (nodes_.at(node).image == image) return;
  nodes_[node].image = image;
  if (observer_) observer_->TreeNodeChanged(node);
}

void UserTree::setExpanded(int node, bool expanded) {
  // What an expanded node shows: its children, and whether each has any.
  if (expanded) MakeChildrenOfChildren(node);
  if (nodes_.at(node).expanded == expanded) return;
  nodes_[node].expanded = expanded;
  if (observer_) observer_->TreeNodeChanged(node);
}

int UserTree::UserTopNode(int node) const {
  if (!valid(node)) return -1;
  int top = node;
  while (parent(top) >= 0) top = parent(top);
  return record(top).kind == kNodeUser ? top : -1;
}

int UserTree::UserNodeOf(int user) const {
  for (int node : top_) {
    if (record(node).kind == kNodeUser && record(node).user == user) return node;
  }
  return -1;
}

int UserTree::FirstNodeOf(int user, int kind) const {
  if (user < 0) return -1;
  for (int i = 0; i < count(); ++i) {
    if (nodes_[i].record.kind == kind && nodes_[i].record.user == user) return i;
  }
  return -1;
}

std::string UserTree::InstallFolderOf(int user) const {
  int node = FirstNodeOf(user, kNodeInstall);
  return node < 0 ? "" : FolderOf(node);
}

std::string UserTree::BackupFolderOf(int user) const {
  int node = FirstNodeOf(user, kNodeBackup);
  return node < 0 ? "" : FolderOf(node);
}

int UserTree::ChildByCaption(int parentNode, const std::string& text) const {
  if (!alive(parentNode)) return -1;
  for (int child : children(parentNode)) {
    if (caption(child) == text) return child;
  }
  return -1;
}

}  // namespace kestrel

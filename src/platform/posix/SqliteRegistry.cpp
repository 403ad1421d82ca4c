// The registry on SQLite: one file per home, WAL journal, one transaction per
// write (or per batch) so that several processes share it and a killed one
// leaves it whole. Readers never wait for a writer.
#include <sqlite3.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/Registry.h"

namespace kestrel {
namespace {

// Windows compares key and value names without case. We fold ASCII, Latin-1
// and full-width Latin letters, which covers the names this program meets.
std::string Fold(const std::string& name) {
  // Most names are ASCII: lowered in place, byte by byte.
  if (std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    std::string out = name;
    for (char& c : out) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return out;
  }
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (c < 0x80) {
      out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    } else if (c == 0xC3 && i + 1 < name.size()) {
      // U+00C0..U+00DE (except U+00D7) fold to U+00E0..U+00FE
      unsigned char d = static_cast<unsigned char>(name[i + 1]);
      if (d >= 0x80 && d <= 0x9E && d != 0x97) d += 0x20;
      out += static_cast<char>(c);
      out += static_cast<char>(d);
      ++i;
    } else if (c == 0xEF && i + 2 < name.size() && static_cast<unsigned char>(name[i + 1]) == 0xBC) {
      // U+FF21..U+FF3A (EF BC A1..BA) fold to U+FF41..U+FF5A (EF BD 81..9A)
      unsigned char d = static_cast<unsigned char>(name[i + 2]);
      if (d >= 0xA1 && d <= 0xBA) {
        out += "\xEF\xBD";
        out += static_cast<char>(d - 0x20);
      } else {
        out.append(name, i, 3);
      }
      i += 2;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : path) {
    if (c == '\\') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

// The parent path and the last component ("" and the path for a top key).
std::pair<std::string, std::string> SplitLast(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  auto slash = path.rfind('\\');
  if (slash == std::string::npos) return {"", path};
  return {path.substr(0, slash), path.substr(slash + 1)};
}

constexpr sqlite3_int64 RootId(Hive hive) { return hive == Hive::CurrentUser ? 1 : 2; }

class SqliteRegistry : public Registry {
 public:
  explicit SqliteRegistry(const std::string& file) : file_(file) { openStore(); }

  ~SqliteRegistry() override { close(); }

  bool keyExists(Hive hive, const std::string& path) override {
    std::lock_guard lock(mutex_);
    Txn t(*this, false);
    bool found = resolve(hive, path) != 0;
    t.commit();
    return found;
  }

  void createKey(Hive hive, const std::string& path) override {
    std::lock_guard lock(mutex_);
    // A key that is there already costs no write (and works on a store that
    // cannot be written).
    {
      Txn read(*this, false);
      bool there = resolve(hive, path) != 0;
      read.commit();
      if (there) return;
    }
    Txn t(*this, true);
    // A key whose parent is known (an import, parents first) is one insert;
    // else every missing level is made from the hive down.
    auto [parent, last] = SplitLast(path);
    sqlite3_int64 id = parent.empty() ? RootId(hive) : resolve(hive, parent);
    std::vector<std::string> parts;
    if (id != 0) {
      parts.push_back(last);
    } else {
      id = RootId(hive);
      parts = SplitPath(path);
    }
    for (const auto& part : parts) {
      sqlite3_int64 child = childId(id, part);
      if (child == 0) {
        Stmt s = prepare("INSERT INTO keys(hive, parent, name, fold) VALUES(?, ?, ?, ?)");
        s.bind(1, static_cast<sqlite3_int64>(hive == Hive::CurrentUser ? 0 : 1));
        s.bind(2, id);
        s.bind(3, part);
        s.bind(4, Fold(part));
        s.done();
        child = sqlite3_last_insert_rowid(db_);
      }
      id = child;
    }
    remember(hive, path, id);
    t.commit();
  }

  bool deleteKeyTree(Hive hive, const std::string& path) override {
    std::lock_guard lock(mutex_);
    if (SplitPath(path).empty()) return false;  // a hive itself stays
    Txn t(*this, true);
    sqlite3_int64 id = resolve(hive, path);
    if (id == 0) return false;
    forget();  // the kept ids and values below the key go with it
    Stmt ids = prepare(
        "WITH RECURSIVE tree(id) AS (SELECT ? UNION ALL"
        " SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id)"
        " SELECT id FROM tree");
    ids.bind(1, id);
    std::vector<sqlite3_int64> all;
    while (ids.row()) all.push_back(ids.int64(0));
    for (auto k : all) {
      Stmt dv = prepare("DELETE FROM vals WHERE key = ?");
      dv.bind(1, k);
      dv.done();
      Stmt dk = prepare("DELETE FROM keys WHERE id = ?");
      dk.bind(1, k);
      dk.done();
    }
    t.commit();
    return true;
  }

  std::vector<std::string> subkeyNames(Hive hive, const std::string& path) override {
    std::lock_guard lock(mutex_);
    Txn t(*this, false);
    std::vector<std::string> names;
    sqlite3_int64 id = resolve(hive, path);
    if (id != 0) {
      for (auto& [child, name] : children(id)) names.push_back(std::move(name));
    }
    t.commit();
    return names;
  }

  std::vector<RegValue> values(Hive hive, const std::string& path) override {
    std::lock_guard lock(mutex_);
    Txn t(*this, false);
    std::vector<RegValue> out;
    sqlite3_int64 id = resolve(hive, path);
    if (id != 0) out = valuesOf(id);
    t.commit();
    return out;
  }

  std::optional<RegValue> value(Hive hive, const std::string& path,
                                const std::string& name) override {
    std::lock_guard lock(mutex_);
    Txn t(*this, false);
    std::optional<RegValue> out;
    sqlite3_int64 id = resolve(hive, path);
    if (id != 0) {
      std::string fold = Fold(name);
      if (const auto* known = keptValues(id)) {
        auto it = known->find(fold);
        if (it != known->end()) out = it->second;
      } else {
        Stmt s = prepare("SELECT name, type, data FROM vals WHERE key = ? AND fold = ?");
        s.bind(1, id);
        s.bind(2, fold);
        if (s.row()) out = readValue(s);
      }
    }
    t.commit();
    return out;
  }

  void setValue(Hive hive, const std::string& path, const RegValue& v) override {
    std::lock_guard lock(mutex_);
    Txn t(*this, true);
    sqlite3_int64 id = resolve(hive, path);
    if (id == 0) throw RegistryError("registry key does not exist: " + path);
    // An existing value keeps its place and the case of its name.
    Stmt s = prepare(
        "INSERT INTO vals(key, name, fold, type, data) VALUES(?, ?, ?, ?, ?)"
        " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data");
    s.bind(1, id);
    s.bind(2, v.name);
    s.bind(3, Fold(v.name));
    s.bind(4, static_cast<sqlite3_int64>(v.type));
    switch (v.type) {
      case ValueType::String: s.bind(5, v.text); break;
      case ValueType::Dword: s.bind(5, static_cast<sqlite3_int64>(v.dword)); break;
      case ValueType::Binary: s.bindBlob(5, v.binary); break;
    }
    s.done();
    kept_.erase(id);
    t.commit();
  }

  bool deleteValue(Hive hive, const std::string& path, const std::string& name) override {
    std::lock_guard lock(mutex_);
    Txn t(*this, true);
    sqlite3_int64 id = resolve(hive, path);
    if (id == 0) return false;
    Stmt s = prepare("DELETE FROM vals WHERE key = ? AND fold = ?");
    s.bind(1, id);
    s.bind(2, Fold(name));
    s.done();
    kept_.erase(id);
    bool removed = sqlite3_changes(db_) > 0;
    t.commit();
    return removed;
  }

  void flush() override {
    std::lock_guard lock(mutex_);
    if (readOnly_ || depth_ > 0) return;
    sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
  }

  std::string canonicalPath(Hive hive, const std::string& path) override {
    std::lock_guard lock(mutex_);
    Txn t(*this, false);
    std::string out;
    sqlite3_int64 id = RootId(hive);
    for (const auto& part : SplitPath(path)) {
      Stmt s = prepare("SELECT id, name FROM keys WHERE parent = ? AND fold = ?");
      s.bind(1, id);
      s.bind(2, Fold(part));
      if (!s.row()) return "";
      id = s.int64(0);
      out = JoinKeyPath(out, s.text(1));
    }
    t.commit();
    return out;
  }

  void beginBatch(bool write) override {
    mutex_.lock();
    try {
      if (write) requireWritable();
      begin(write);
    } catch (...) {
      mutex_.unlock();
      throw;
    }
  }

  void commitBatch() override {
    struct Unlock {
      std::recursive_mutex& m;
      ~Unlock() { m.unlock(); }
    } unlock{mutex_};
    commit();
  }

  void rollbackBatch() noexcept override {
    rollback();
    mutex_.unlock();
  }

  void walkTree(Hive hive, const std::string& path, const TreeVisitor& visit) override {
    std::lock_guard lock(mutex_);
    Txn t(*this, false);
    sqlite3_int64 root = resolve(hive, path);
    if (root == 0) return;
    // Keys by id, not by path: a path is never resolved again, however deep.
    std::vector<std::pair<sqlite3_int64, std::string>> pending{{root, path}};
    while (!pending.empty()) {
      auto [id, keyPath] = std::move(pending.back());
      pending.pop_back();
      visit(keyPath, valuesOf(id));
      auto subs = children(id);
      for (auto it = subs.rbegin(); it != subs.rend(); ++it) {
        pending.emplace_back(it->first, JoinKeyPath(keyPath, it->second));
      }
    }
    t.commit();
  }

 private:
  class Stmt {
   public:
    Stmt(SqliteRegistry& owner, sqlite3_stmt* stmt) : owner_(owner), stmt_(stmt) {}
    Stmt(const Stmt&) = delete;
    ~Stmt() {
      sqlite3_reset(stmt_);
      sqlite3_clear_bindings(stmt_);
    }
    void bind(int i, sqlite3_int64 n) { sqlite3_bind_int64(stmt_, i, n); }
    void bind(int i, const std::string& t) {
      sqlite3_bind_text(stmt_, i, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
    }
    void bindBlob(int i, const Bytes& b) {
      sqlite3_bind_blob(stmt_, i, b.empty() ? "" : static_cast<const void*>(b.data()),
                        static_cast<int>(b.size()), SQLITE_TRANSIENT);
    }
    bool row() {
      int rc = sqlite3_step(stmt_);
      if (rc == SQLITE_ROW) return true;
      if (rc == SQLITE_DONE) return false;
      owner_.fail(rc);
      return false;
    }
    void done() {
      while (row()) {
      }
    }
    sqlite3_int64 int64(int col) { return sqlite3_column_int64(stmt_, col); }
    std::string text(int col) {
      const void* p = sqlite3_column_blob(stmt_, col);
      int n = sqlite3_column_bytes(stmt_, col);
      return p ? std::string(static_cast<const char*>(p), static_cast<std::size_t>(n)) : "";
    }
    int type(int col) { return sqlite3_column_type(stmt_, col); }

   private:
    SqliteRegistry& owner_;
    sqlite3_stmt* stmt_;
  };

  // One operation's transaction: the store transaction when none is open,
  // else a part of the open one, so that a failed operation inside a batch
  // undoes only itself.
  class Txn {
   public:
    // A read inside an open transaction has nothing to undo: it needs no
    // level of its own.
    Txn(SqliteRegistry& owner, bool write) : owner_(owner), active_(write || owner.depth_ == 0) {
      if (write) owner_.requireWritable();
      if (active_) owner_.begin(write);
    }
    ~Txn() {
      if (active_ && !done_) owner_.rollback();
    }
    void commit() {
      done_ = true;
      if (active_) owner_.commit();
    }

   private:
    SqliteRegistry& owner_;
    bool active_;
    bool done_ = false;
  };

  void requireWritable() {
    if (readOnly_) throw RegistryError("the registry store cannot be written (read-only): " + file_);
  }

  // Nesting: the outermost level is BEGIN ... COMMIT, each inner one a
  // savepoint named after its depth.
  void begin(bool write) {
    if (depth_ == 0) {
      int rc = runKept(write ? "BEGIN IMMEDIATE" : "BEGIN");
      if (rc != SQLITE_OK) fail(rc);
      try {
        keepIfUnchanged();
      } catch (...) {
        runKept("ROLLBACK");
        forget();
        throw;
      }
    } else {
      int rc = runSavepoint(kSavepoint, depth_);
      if (rc != SQLITE_OK) fail(rc);
    }
    ++depth_;
    if (write) wrote_ = true;
  }

  void commit() {
    if (depth_ == 1) {
      int rc = runKept("COMMIT");
      if (rc != SQLITE_OK) {
        runKept("ROLLBACK");
        depth_ = 0;
        forget();
        fail(rc);
      }
      depth_ = 0;
      return;
    }
    --depth_;
    int rc = runSavepoint(kRelease, depth_);
    if (rc != SQLITE_OK) fail(rc);
  }

  void rollback() noexcept {
    if (depth_ == 0) return;
    --depth_;
    if (depth_ == 0) {
      runKept("ROLLBACK");
    } else {
      runSavepoint(kRollbackTo, depth_);
      runSavepoint(kRelease, depth_);
    }
    forget();  // keys made and values written by the undone part are gone
  }

  [[noreturn]] void fail(int rc) {
    lastError_ = rc;
    int code = rc & 0xFF;
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
      throw RegistryError("the registry store is locked by another program: " + file_);
    }
    if (code == SQLITE_NOTADB || code == SQLITE_CORRUPT) {
      throw RegistryError("the registry store is not a database: " + file_);
    }
    if (code == SQLITE_READONLY) {
      throw RegistryError("the registry store cannot be written (read-only): " + file_);
    }
    throw RegistryError("registry store " + file_ + ": " + sqlite3_errmsg(db_));
  }

  void exec(const char* sql) {
    int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) fail(rc);
  }

  // Runs a statement without rows from the cache of prepared ones: every
  // read outside a batch begins and ends a transaction, and parsing those
  // two each time was most of the cost of a read. Answers SQLite's code.
  int runKept(const char* sql) noexcept {
    auto it = cache_.find(sql);
    if (it == cache_.end()) {
      sqlite3_stmt* stmt = nullptr;
      int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
      if (rc != SQLITE_OK) return rc;
      it = cache_.emplace(sql, stmt).first;
    }
    int rc = sqlite3_step(it->second);
    int reset = sqlite3_reset(it->second);
    if (rc == SQLITE_DONE || rc == SQLITE_ROW) return reset == SQLITE_OK ? SQLITE_OK : reset;
    return rc;
  }

  // The savepoint statements of the first levels, kept prepared like the
  // rest: every user's read nests batches. Answers SQLite's code.
  enum SavepointVerb { kSavepoint, kRelease, kRollbackTo };
  int runSavepoint(SavepointVerb verb, int depth) noexcept {
    static constexpr int kKept = 16;
    static constexpr const char* kVerbs[] = {"SAVEPOINT s", "RELEASE s", "ROLLBACK TO s"};
    static const auto sql = [] {
      std::array<std::array<std::string, kKept>, 3> t;
      for (int v = 0; v < 3; ++v) {
        for (int d = 0; d < kKept; ++d) t[v][d] = kVerbs[v] + std::to_string(d);
      }
      return t;
    }();
    if (depth >= 0 && depth < kKept) return runKept(sql[verb][depth].c_str());
    return sqlite3_exec(db_, (kVerbs[verb] + std::to_string(depth)).c_str(), nullptr, nullptr, nullptr);
  }

  Stmt prepare(const char* sql) {
    auto it = cache_.find(sql);
    if (it == cache_.end()) {
      sqlite3_stmt* stmt = nullptr;
      int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
      if (rc != SQLITE_OK) fail(rc);
      it = cache_.emplace(sql, stmt).first;
    }
    return Stmt(*this, it->second);
  }

  sqlite3_int64 childId(sqlite3_int64 parent, const std::string& name) {
    Stmt s = prepare("SELECT id FROM keys WHERE parent = ? AND fold = ?");
    s.bind(1, parent);
    s.bind(2, Fold(name));
    return s.row() ? s.int64(0) : 0;
  }

  // Key id for a path, 0 when missing. The ids found are kept while no other
  // program changes the store (keepIfUnchanged); a key's parent found
  // already costs one more look-up, not the whole path.
  sqlite3_int64 resolve(Hive hive, const std::string& path) {
    // Reads come in runs on one key: the last one found costs a compare.
    if (lastId_ != 0 && hive == lastHive_ && path == lastPath_) return lastId_;
    if (depth_ > 0) {
      if (sqlite3_int64 id = cached(hive, path)) {
        rememberLast(hive, path, id);
        return id;
      }
      auto [parent, last] = SplitLast(path);
      if (!parent.empty()) {
        if (sqlite3_int64 up = cached(hive, parent)) {
          sqlite3_int64 id = childId(up, last);
          remember(hive, path, id);
          return id;
        }
      }
    }
    sqlite3_int64 id = RootId(hive);
    for (const auto& part : SplitPath(path)) {
      id = childId(id, part);
      if (id == 0) return 0;
    }
    remember(hive, path, id);
    return id;
  }

  static std::string CacheKey(Hive hive, const std::string& path) {
    return (hive == Hive::CurrentUser ? "U" : "C") + path;
  }
  sqlite3_int64 cached(Hive hive, const std::string& path) const {
    auto it = ids_.find(CacheKey(hive, path));
    return it == ids_.end() ? 0 : it->second;
  }
  void remember(Hive hive, const std::string& path, sqlite3_int64 id) {
    if (depth_ > 0 && id != 0) {
      ids_[CacheKey(hive, path)] = id;
      rememberLast(hive, path, id);
    }
  }
  void rememberLast(Hive hive, const std::string& path, sqlite3_int64 id) {
    lastHive_ = hive;
    lastPath_ = path;
    lastId_ = id;
  }

  // A key's values by folded name, when they are kept. A key read from twice
  // is read whole once and answered from memory until another program
  // changes the store or this one writes to the key; a key read from once
  // costs one look-up, whatever its size.
  const std::unordered_map<std::string, RegValue>* keptValues(sqlite3_int64 id) {
    if (depth_ == 0) return nullptr;
    auto [it, first] = kept_.try_emplace(id);
    Kept& k = it->second;
    if (first) return nullptr;
    if (!k.whole) {
      // In the index's order: no sort, and the folded names as stored.
      Stmt s = prepare("SELECT name, type, data, fold FROM vals WHERE key = ?");
      s.bind(1, id);
      while (s.row()) k.values.emplace(s.text(3), readValue(s));
      k.whole = true;
    }
    return &k.values;
  }

  void forget() {
    ids_.clear();
    kept_.clear();
    lastId_ = 0;
  }

  // At the start of a transaction: what is kept stays only if no other
  // connection committed since it was read. Our own writes leave the
  // version as it is; they update or drop what they touch themselves.
  void keepIfUnchanged() {
    Stmt s = prepare("PRAGMA data_version");
    sqlite3_int64 version = s.row() ? s.int64(0) : -1;
    if (version == version_ && version >= 0) return;
    forget();
    version_ = version;
  }

  std::vector<std::pair<sqlite3_int64, std::string>> children(sqlite3_int64 id) {
    std::vector<std::pair<sqlite3_int64, std::string>> out;
    Stmt s = prepare("SELECT id, name FROM keys WHERE parent = ? ORDER BY fold, id");
    s.bind(1, id);
    while (s.row()) out.emplace_back(s.int64(0), s.text(1));
    return out;
  }

  std::vector<RegValue> valuesOf(sqlite3_int64 id) {
    std::vector<RegValue> out;
    Stmt s = prepare("SELECT name, type, data FROM vals WHERE key = ? ORDER BY seq");
    s.bind(1, id);
    while (s.row()) out.push_back(readValue(s));
    return out;
  }

  // Opening writes nothing to a store that is there already: the tables are
  // made only when missing, and a store this process may not write (file or
  // folder read-only) is opened for reading instead.
  void openStore() {
    std::string why;
    if (tryOpen(file_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, why)) return;
    if (access(file_.c_str(), F_OK) == 0) {
      if (tryOpen(Uri("mode=ro"), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, why)) return;
      // A read-only folder that holds no journal files: nobody can be
      // writing the store, so it is read as it lies.
      if (tryOpen(Uri("immutable=1"), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, why)) return;
    }
    throw RegistryError("cannot open the registry store " + file_ + ": " + why);
  }

  std::string Uri(const char* query) const {
    std::string uri = "file:";
    for (char c : file_) {
      if (c == '%' || c == '?' || c == '#') {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%%%02X", static_cast<unsigned char>(c));
        uri += buf;
      } else {
        uri += c;
      }
    }
    return uri + "?" + query;
  }

  // False when this way of opening cannot reach the store here (and `why`
  // says what stopped it); RegistryError for a store that is unusable
  // whichever way it is opened (not a database, locked).
  bool tryOpen(const std::string& name, int flags, std::string& why) {
    int rc = sqlite3_open_v2(name.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
      why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
      close();
      if (Retryable(rc)) return false;
      throw RegistryError("cannot open the registry store " + file_ + ": " + why);
    }
    sqlite3_busy_timeout(db_, 5000);
    readOnly_ = sqlite3_db_readonly(db_, "main") == 1;
    try {
      prepareSchema();
    } catch (const RegistryError& e) {
      why = sqlite3_errmsg(db_);
      close();
      if (Retryable(lastError_)) return false;
      throw;
    }
    return true;
  }

  static bool Retryable(int rc) {
    int code = rc & 0xFF;
    return code == SQLITE_READONLY || code == SQLITE_CANTOPEN || code == SQLITE_PERM ||
           code == SQLITE_IOERR;
  }

  void prepareSchema() {
    bool ready = false;
    {
      Stmt s = prepare(
          "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ('keys', 'vals')");
      ready = s.row() && s.int64(0) == 2;
    }
    if (readOnly_) {
      if (!ready) throw RegistryError("the registry store is not a database: " + file_);
      return;
    }
    std::string mode;
    {
      Stmt s = prepare("PRAGMA journal_mode");
      if (s.row()) mode = s.text(0);
    }
    if (mode != "wal") exec("PRAGMA journal_mode=WAL");
    exec("PRAGMA synchronous=NORMAL");
    // The log and its index stay between runs (emptied at the last close):
    // each start made and each end deleted both files, and a file system
    // looks long for a free inode among ones deleted moments ago.
    int persist = 1;
    sqlite3_file_control(db_, "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
    exec("PRAGMA journal_size_limit=0");
    if (ready) return;
    Txn t(*this, true);
    exec(
        "CREATE TABLE IF NOT EXISTS keys(id INTEGER PRIMARY KEY, hive INTEGER NOT NULL,"
        " parent INTEGER NOT NULL, name TEXT NOT NULL, fold TEXT NOT NULL,"
        " UNIQUE(parent, fold));"
        "CREATE TABLE IF NOT EXISTS vals(seq INTEGER PRIMARY KEY, key INTEGER NOT NULL,"
        " name TEXT NOT NULL, fold TEXT NOT NULL, type INTEGER NOT NULL, data,"
        " UNIQUE(key, fold));"
        "INSERT OR IGNORE INTO keys(id, hive, parent, name, fold) VALUES"
        " (1, 0, -1, 'HKEY_CURRENT_USER', ''), (2, 1, -2, 'HKEY_CLASSES_ROOT', '')");
    t.commit();
  }

  static RegValue readValue(Stmt& s) {
    RegValue v;
    v.name = s.text(0);
    v.type = static_cast<ValueType>(s.int64(1));
    switch (v.type) {
      case ValueType::String: v.text = s.text(2); break;
      case ValueType::Dword: v.dword = static_cast<std::uint32_t>(s.int64(2)); break;
      case ValueType::Binary: {
        std::string raw = s.text(2);
        v.binary.assign(raw.begin(), raw.end());
        break;
      }
    }
    return v;
  }

  void close() {
    for (auto& [sql, stmt] : cache_) sqlite3_finalize(stmt);
    cache_.clear();
    // A process that only read leaves the journal as it found it.
    if (db_ && !wrote_) sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
    depth_ = 0;
    forget();
  }

  std::string file_;
  sqlite3* db_ = nullptr;
  bool readOnly_ = false;
  bool wrote_ = false;
  int lastError_ = SQLITE_OK;
  int depth_ = 0;  // open transaction levels
  sqlite3_int64 version_ = -1;  // the store's data version when ids_ and kept_ were read
  std::unordered_map<std::string, sqlite3_int64> ids_;
  // The key remember() saw last, while it is in ids_.
  Hive lastHive_ = Hive::CurrentUser;
  std::string lastPath_;
  sqlite3_int64 lastId_ = 0;
  struct Kept {
    bool whole = false;  // false: read from once, nothing kept yet
    std::unordered_map<std::string, RegValue> values;
  };
  std::unordered_map<sqlite3_int64, Kept> kept_;
  std::map<const char*, sqlite3_stmt*> cache_;
  std::recursive_mutex mutex_;
};

}  // namespace

std::unique_ptr<Registry> OpenSqliteRegistry(const std::string& file) {
  return std::make_unique<SqliteRegistry>(file);
}

}  // namespace kestrel

// The registry on SQLite: one file per home, WAL journal, one transaction per
// write so that several processes share it and a killed one leaves it whole.
#include <sqlite3.h>

#include <cstring>
#include <map>
#include <mutex>

#include "platform/Registry.h"

namespace kestrel {
namespace {

// Windows compares key and value names without case. We fold ASCII, Latin-1
// and full-width Latin letters, which covers the names this program meets.
std::string Fold(const std::string& name) {
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

constexpr sqlite3_int64 RootId(Hive hive) { return hive == Hive::CurrentUser ? 1 : 2; }

class SqliteRegistry : public Registry {
 public:
  explicit SqliteRegistry(const std::string& file) : file_(file) {
    int rc = sqlite3_open_v2(file.c_str(), &db_,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
      std::string why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
      sqlite3_close(db_);
      db_ = nullptr;
      throw RegistryError("cannot open the registry store " + file + ": " + why);
    }
    sqlite3_busy_timeout(db_, 5000);
    try {
      exec("PRAGMA journal_mode=WAL");
      exec("PRAGMA synchronous=NORMAL");
      exec("BEGIN IMMEDIATE");
      exec(
          "CREATE TABLE IF NOT EXISTS keys(id INTEGER PRIMARY KEY, hive INTEGER NOT NULL,"
          " parent INTEGER NOT NULL, name TEXT NOT NULL, fold TEXT NOT NULL,"
          " UNIQUE(parent, fold));"
          "CREATE TABLE IF NOT EXISTS vals(seq INTEGER PRIMARY KEY, key INTEGER NOT NULL,"
          " name TEXT NOT NULL, fold TEXT NOT NULL, type INTEGER NOT NULL, data,"
          " UNIQUE(key, fold));"
          "INSERT OR IGNORE INTO keys(id, hive, parent, name, fold) VALUES"
          " (1, 0, -1, 'HKEY_CURRENT_USER', ''), (2, 1, -2, 'HKEY_CLASSES_ROOT', '')");
      exec("COMMIT");
    } catch (...) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      close();
      throw;
    }
  }

  ~SqliteRegistry() override { close(); }

  bool keyExists(Hive hive, const std::string& path) override {
    std::lock_guard lock(mutex_);
    return resolve(hive, path) != 0;
  }

  void createKey(Hive hive, const std::string& path) override {
    std::lock_guard lock(mutex_);
    Transaction t(*this);
    sqlite3_int64 id = RootId(hive);
    for (const auto& part : SplitPath(path)) {
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
    t.commit();
  }

  bool deleteKeyTree(Hive hive, const std::string& path) override {
    std::lock_guard lock(mutex_);
    if (SplitPath(path).empty()) return false;  // a hive itself stays
    Transaction t(*this);
    sqlite3_int64 id = resolve(hive, path);
    if (id == 0) return false;
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
    std::vector<std::string> names;
    sqlite3_int64 id = resolve(hive, path);
    if (id == 0) return names;
    Stmt s = prepare("SELECT name FROM keys WHERE parent = ? ORDER BY fold, id");
    s.bind(1, id);
    while (s.row()) names.push_back(s.text(0));
    return names;
  }

  std::vector<RegValue> values(Hive hive, const std::string& path) override {
    std::lock_guard lock(mutex_);
    std::vector<RegValue> out;
    sqlite3_int64 id = resolve(hive, path);
    if (id == 0) return out;
    Stmt s = prepare("SELECT name, type, data FROM vals WHERE key = ? ORDER BY seq");
    s.bind(1, id);
    while (s.row()) out.push_back(readValue(s));
    return out;
  }

  std::optional<RegValue> value(Hive hive, const std::string& path,
                                const std::string& name) override {
    std::lock_guard lock(mutex_);
    sqlite3_int64 id = resolve(hive, path);
    if (id == 0) return std::nullopt;
    Stmt s = prepare("SELECT name, type, data FROM vals WHERE key = ? AND fold = ?");
    s.bind(1, id);
    s.bind(2, Fold(name));
    if (!s.row()) return std::nullopt;
    return readValue(s);
  }

  void setValue(Hive hive, const std::string& path, const RegValue& v) override {
    std::lock_guard lock(mutex_);
    Transaction t(*this);
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
    t.commit();
  }

  bool deleteValue(Hive hive, const std::string& path, const std::string& name) override {
    std::lock_guard lock(mutex_);
    Transaction t(*this);
    sqlite3_int64 id = resolve(hive, path);
    if (id == 0) return false;
    Stmt s = prepare("DELETE FROM vals WHERE key = ? AND fold = ?");
    s.bind(1, id);
    s.bind(2, Fold(name));
    s.done();
    bool removed = sqlite3_changes(db_) > 0;
    t.commit();
    return removed;
  }

  void flush() override {
    std::lock_guard lock(mutex_);
    sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
  }

  std::string canonicalPath(Hive hive, const std::string& path) override {
    std::lock_guard lock(mutex_);
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
    return out;
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

  class Transaction {
   public:
    explicit Transaction(SqliteRegistry& owner) : owner_(owner) { owner_.exec("BEGIN IMMEDIATE"); }
    ~Transaction() {
      if (!committed_) sqlite3_exec(owner_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void commit() {
      owner_.exec("COMMIT");
      committed_ = true;
    }

   private:
    SqliteRegistry& owner_;
    bool committed_ = false;
  };

  [[noreturn]] void fail(int rc) {
    int code = rc & 0xFF;
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
      throw RegistryError("the registry store is locked by another program: " + file_);
    }
    if (code == SQLITE_NOTADB || code == SQLITE_CORRUPT) {
      throw RegistryError("the registry store is not a database: " + file_);
    }
    throw RegistryError("registry store " + file_ + ": " + sqlite3_errmsg(db_));
  }

  void exec(const char* sql) {
    int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) fail(rc);
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

  // Key id for a path, 0 when missing.
  sqlite3_int64 resolve(Hive hive, const std::string& path) {
    sqlite3_int64 id = RootId(hive);
    for (const auto& part : SplitPath(path)) {
      id = childId(id, part);
      if (id == 0) return 0;
    }
    return id;
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
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
  }

  std::string file_;
  sqlite3* db_ = nullptr;
  std::map<const char*, sqlite3_stmt*> cache_;
  std::recursive_mutex mutex_;
};

}  // namespace

std::unique_ptr<Registry> OpenSqliteRegistry(const std::string& file) {
  return std::make_unique<SqliteRegistry>(file);
}

}  // namespace kestrel

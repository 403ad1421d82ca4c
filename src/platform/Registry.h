// The settings store, shaped like the Windows registry: two hives, keys with
// case-insensitive names separated by backslashes, typed values.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrel {

enum class Hive { CurrentUser, ClassesRoot };

enum class ValueType { String, Dword, Binary };

const char* ValueTypeName(ValueType type);  // "REG_SZ", "REG_DWORD", "REG_BINARY"

// Raised for a value of the wrong type and for a store that cannot be used.
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using Bytes = std::vector<std::uint8_t>;

struct RegValue {
  std::string name;  // "" is the key's default value
  ValueType type = ValueType::String;
  std::string text;     // String
  std::uint32_t dword = 0;  // Dword
  Bytes binary;         // Binary
};

// Path-based primitives; a RegKey is a handle built on them. Paths are
// relative to the hive, components separated by '\'; empty components are
// ignored, so "A\\B\\" and "A\B" name the same key.
class Registry {
 public:
  virtual ~Registry() = default;

  virtual bool keyExists(Hive hive, const std::string& path) = 0;
  // Creates every missing level.
  virtual void createKey(Hive hive, const std::string& path) = 0;
  // Deletes the key with all its subkeys and values; false when it did not exist.
  virtual bool deleteKeyTree(Hive hive, const std::string& path) = 0;
  // Subkey names as stored (original case), in a stable order.
  virtual std::vector<std::string> subkeyNames(Hive hive, const std::string& path) = 0;
  // Values in the order they were first written.
  virtual std::vector<RegValue> values(Hive hive, const std::string& path) = 0;
  virtual std::optional<RegValue> value(Hive hive, const std::string& path,
                                        const std::string& name) = 0;
  // Writes (creating or replacing) a value; the key must exist.
  virtual void setValue(Hive hive, const std::string& path, const RegValue& value) = 0;
  virtual bool deleteValue(Hive hive, const std::string& path, const std::string& name) = 0;
  // Makes every write durable; writes are already atomic one by one.
  virtual void flush() = 0;

  // Transactions, used through RegistryBatch. They nest: the outermost one
  // is a store transaction, an inner one a part of it that can be undone
  // alone. A write batch takes the store's write lock at once (RegistryError
  // when another program keeps it); a read batch sees one unchanging store
  // and lets other programs write meanwhile. Only the thread that began a
  // batch uses the store until it ends.
  virtual void beginBatch(bool write) = 0;
  virtual void commitBatch() = 0;
  virtual void rollbackBatch() noexcept = 0;

  // Calls `visit` for the key at `path` and every key below it, each key
  // before its subkeys and the subkeys in subkeyNames order, with the key's
  // path (`path`, then the stored names) and its values. One consistent
  // read; a deep tree costs no more per key than a flat one. Nothing is
  // visited when the key does not exist.
  using TreeVisitor =
      std::function<void(const std::string& path, const std::vector<RegValue>& values)>;
  virtual void walkTree(Hive hive, const std::string& path, const TreeVisitor& visit) = 0;

  // The key's name as stored, for a path given in any case ("" if missing).
  virtual std::string canonicalPath(Hive hive, const std::string& path) = 0;
};

// An open key. Cheap to copy; it refers to the key by path, so a key deleted
// elsewhere makes later calls fail with RegistryError (reads) or false.
class RegKey {
 public:
  RegKey(Registry& registry, Hive hive, std::string path);

  // Opens a key; nullopt when it does not exist and create is false.
  static std::optional<RegKey> Open(Registry& registry, Hive hive, const std::string& path,
                                    bool create);

  Hive hive() const { return hive_; }
  const std::string& path() const { return path_; }
  Registry& registry() const { return *registry_; }

  std::optional<RegKey> openSubkey(const std::string& name, bool create) const;
  bool deleteSubkeyTree(const std::string& name) const;

  bool hasValue(const std::string& name) const;
  std::optional<ValueType> valueType(const std::string& name) const;

  // Strict reads: RegistryError when the value is missing or of another type.
  std::string readString(const std::string& name) const;
  std::uint32_t readDword(const std::string& name) const;
  Bytes readBinary(const std::string& name) const;

  // Reads with a default when the value is missing; a value of another type
  // still raises RegistryError.
  std::string readString(const std::string& name, const std::string& fallback) const;
  std::uint32_t readDword(const std::string& name, std::uint32_t fallback) const;
  bool readBool(const std::string& name, bool fallback) const;

  void writeString(const std::string& name, const std::string& text) const;
  void writeDword(const std::string& name, std::uint32_t number) const;
  void writeBool(const std::string& name, bool flag) const { writeDword(name, flag ? 1 : 0); }
  void writeBinary(const std::string& name, const Bytes& data) const;

  bool deleteValue(const std::string& name) const;

  std::vector<std::string> subkeyNames() const;
  std::vector<RegValue> values() const;
  void flush() const { registry_->flush(); }

 private:
  RegValue required(const std::string& name, ValueType type) const;
  // The value when present; RegistryError when it has another type.
  std::optional<RegValue> typed(const std::string& name, ValueType type) const;
  std::string describe(const std::string& name) const;

  Registry* registry_;
  Hive hive_;
  std::string path_;
};

// Every change made while this object lives reaches the store together on
// Commit(), or not at all: leaving the scope without Commit() (an exception,
// an early return) undoes them. Nests inside another batch.
class RegistryBatch {
 public:
  // write false: a read batch, for several reads that must agree.
  explicit RegistryBatch(Registry& registry, bool write = true);
  ~RegistryBatch();
  RegistryBatch(const RegistryBatch&) = delete;
  RegistryBatch& operator=(const RegistryBatch&) = delete;

  // RegistryError when the store refuses; the changes are undone then.
  void Commit();

 private:
  Registry& registry_;
  bool open_ = true;
};

// Joins key path components with '\'.
std::string JoinKeyPath(const std::string& parent, const std::string& child);

// The process-wide store: registry.db in the home. Opened on first use;
// raises RegistryError when the store cannot be used.
Registry& TheRegistry();
// Tests and tools may swap the store (nullptr restores the default).
void SetRegistry(std::unique_ptr<Registry> registry);

// Opens an SQLite store file, creating it when missing. A store that cannot
// be written here (a read-only file or folder) opens for reading, and its
// writes raise RegistryError; opening writes nothing to an existing store.
std::unique_ptr<Registry> OpenSqliteRegistry(const std::string& file);

}  // namespace kestrel

#include "platform/Registry.h"

#include <mutex>

#include "platform/Home.h"

namespace kestrel {

const char* ValueTypeName(ValueType type) {
  switch (type) {
    case ValueType::String: return "REG_SZ";
    case ValueType::Dword: return "REG_DWORD";
    case ValueType::Binary: return "REG_BINARY";
  }
  return "REG_NONE";
}

std::string JoinKeyPath(const std::string& parent, const std::string& child) {
  if (parent.empty()) return child;
  if (child.empty()) return parent;
  if (parent.back() == '\\') return parent + child;
  return parent + "\\" + child;
}

RegKey::RegKey(Registry& registry, Hive hive, std::string path)
    : registry_(&registry), hive_(hive), path_(std::move(path)) {}

std::optional<RegKey> RegKey::Open(Registry& registry, Hive hive, const std::string& path,
                                   bool create) {
  if (create) {
    registry.createKey(hive, path);
  } else if (!registry.keyExists(hive, path)) {
    return std::nullopt;
  }
  return RegKey(registry, hive, path);
}

std::optional<RegKey> RegKey::openSubkey(const std::string& name, bool create) const {
  return Open(*registry_, hive_, JoinKeyPath(path_, name), create);
}

bool RegKey::deleteSubkeyTree(const std::string& name) const {
  return registry_->deleteKeyTree(hive_, JoinKeyPath(path_, name));
}

bool RegKey::hasValue(const std::string& name) const {
  return registry_->value(hive_, path_, name).has_value();
}

std::optional<ValueType> RegKey::valueType(const std::string& name) const {
  auto v = registry_->value(hive_, path_, name);
  if (!v) return std::nullopt;
  return v->type;
}

std::string RegKey::describe(const std::string& name) const {
  return (hive_ == Hive::CurrentUser ? "HKEY_CURRENT_USER\\" : "HKEY_CLASSES_ROOT\\") + path_ +
         " \"" + (name.empty() ? "(Default)" : name) + "\"";
}

RegValue RegKey::required(const std::string& name, ValueType type) const {
  auto v = typed(name, type);
  if (!v) throw RegistryError("registry value missing: " + describe(name));
  return *v;
}

std::optional<RegValue> RegKey::typed(const std::string& name, ValueType type) const {
  auto v = registry_->value(hive_, path_, name);
  if (v && v->type != type) {
    throw RegistryError(std::string("registry value of the wrong type (") +
                        ValueTypeName(v->type) + ", expected " + ValueTypeName(type) +
                        "): " + describe(name));
  }
  return v;
}

std::string RegKey::readString(const std::string& name) const {
  return required(name, ValueType::String).text;
}
std::uint32_t RegKey::readDword(const std::string& name) const {
  return required(name, ValueType::Dword).dword;
}
Bytes RegKey::readBinary(const std::string& name) const {
  return required(name, ValueType::Binary).binary;
}

// One lookup each: a missing value gives the fallback, another type raises.
std::string RegKey::readString(const std::string& name, const std::string& fallback) const {
  auto v = typed(name, ValueType::String);
  return v ? v->text : fallback;
}
std::uint32_t RegKey::readDword(const std::string& name, std::uint32_t fallback) const {
  auto v = typed(name, ValueType::Dword);
  return v ? v->dword : fallback;
}
bool RegKey::readBool(const std::string& name, bool fallback) const {
  auto v = typed(name, ValueType::Dword);
  return v ? v->dword != 0 : fallback;
}

void RegKey::writeString(const std::string& name, const std::string& text) const {
  RegValue v;
  v.name = name;
  v.type = ValueType::String;
  v.text = text;
  registry_->setValue(hive_, path_, v);
}
void RegKey::writeDword(const std::string& name, std::uint32_t number) const {
  RegValue v;
  v.name = name;
  v.type = ValueType::Dword;
  v.dword = number;
  registry_->setValue(hive_, path_, v);
}
void RegKey::writeBinary(const std::string& name, const Bytes& data) const {
  RegValue v;
  v.name = name;
  v.type = ValueType::Binary;
  v.binary = data;
  registry_->setValue(hive_, path_, v);
}

bool RegKey::deleteValue(const std::string& name) const {
  return registry_->deleteValue(hive_, path_, name);
}
std::vector<std::string> RegKey::subkeyNames() const {
  return registry_->subkeyNames(hive_, path_);
}
std::vector<RegValue> RegKey::values() const { return registry_->values(hive_, path_); }

RegistryBatch::RegistryBatch(Registry& registry, bool write) : registry_(registry) {
  registry_.beginBatch(write);
}

RegistryBatch::~RegistryBatch() {
  if (open_) registry_.rollbackBatch();
}

void RegistryBatch::Commit() {
  if (!open_) return;
  // The store undoes the batch itself when its commit fails.
  open_ = false;
  registry_.commitBatch();
}

namespace {
std::mutex g_registryMutex;
std::unique_ptr<Registry> g_registry;
}  // namespace

Registry& TheRegistry() {
  std::lock_guard lock(g_registryMutex);
  if (!g_registry) g_registry = OpenSqliteRegistry(HomeFolder() + "/registry.db");
  return *g_registry;
}

void SetRegistry(std::unique_ptr<Registry> registry) {
  std::lock_guard lock(g_registryMutex);
  g_registry = std::move(registry);
}

}  // namespace kestrel

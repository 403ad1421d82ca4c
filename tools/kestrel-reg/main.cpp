// kestrel-reg: the registry store from the command line, in the manner of
// reg.exe. Exit 0 done, 1 key or value not found, 2 bad arguments or an
// unusable store.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ProgramOptions.h"
#include "platform/RegText.h"
#include "platform/Registry.h"

using namespace kestrel;

namespace {

constexpr int kOk = 0, kNotFound = 1, kUsage = 2;

const char* kUsageText =
    "usage: kestrel-reg query KEY [--value NAME] [--recursive]\n"
    "       kestrel-reg add KEY [--value NAME] [--type REG_SZ|REG_DWORD|REG_BINARY] [--data D]\n"
    "       kestrel-reg delete KEY [--value NAME]\n"
    "       kestrel-reg export KEY FILE\n"
    "       kestrel-reg import FILE\n"
    "       kestrel-reg --help | --version\n"
    "KEY starts with HKCU\\, HKEY_CURRENT_USER\\, HKCR\\ or HKEY_CLASSES_ROOT\\.\n";

struct Args {
  std::string verb;
  std::vector<std::string> positional;
  std::optional<std::string> value;
  std::string type = "REG_SZ";
  std::string data;
  bool recursive = false;
};

struct UsageError {
  std::string why;
};

// An option no command knows: answered with the whole usage.
struct UnknownOption {
  std::string option;
};

Args Parse(int argc, char** argv) {
  Args a;
  if (argc < 2) throw UsageError{"no command given"};
  a.verb = argv[1];
  for (int i = 2; i < argc; ++i) {
    std::string s = argv[i];
    auto next = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError{s + " needs an argument"};
      return argv[++i];
    };
    if (s == "--value") a.value = next();
    else if (s == "--type") a.type = next();
    else if (s == "--data") a.data = next();
    else if (s == "--recursive") a.recursive = true;
    else if (s.rfind("--", 0) == 0) throw UnknownOption{s};
    else a.positional.push_back(s);
  }
  return a;
}

std::string FullName(Hive hive, const std::string& path) {
  return HiveName(hive) + (path.empty() ? "" : "\\" + path);
}

void PrintValue(const RegValue& v) {
  std::printf("    %s    %s    %s\n", v.name.empty() ? "(Default)" : v.name.c_str(),
              ValueTypeName(v.type), DataText(v).c_str());
}

void PrintKey(Registry& reg, Hive hive, const std::string& path, bool recursive) {
  auto print = [&](const std::string& key, const std::vector<RegValue>& values) {
    std::printf("%s\n", FullName(hive, key).c_str());
    for (const RegValue& v : values) PrintValue(v);
    std::printf("\n");
  };
  if (recursive) {
    reg.walkTree(hive, path, print);
    return;
  }
  print(path, reg.values(hive, path));
  for (const std::string& sub : reg.subkeyNames(hive, path)) {
    std::printf("%s\n", FullName(hive, JoinKeyPath(path, sub)).c_str());
  }
}

RegValue MakeValue(const Args& a) {
  RegValue v;
  v.name = a.value.value_or("");
  if (a.type == "REG_SZ") {
    v.type = ValueType::String;
    v.text = a.data;
  } else if (a.type == "REG_DWORD") {
    v.type = ValueType::Dword;
    std::string d = a.data.empty() ? "0" : a.data;
    char* end = nullptr;
    errno = 0;
    unsigned long long n = std::strtoull(d.c_str(), &end, 0);
    if (*end || errno || n > 0xFFFFFFFFull || d[0] == '-') {
      throw UsageError{"REG_DWORD data must be a number from 0 to 0xffffffff: " + d};
    }
    v.dword = static_cast<std::uint32_t>(n);
  } else if (a.type == "REG_BINARY") {
    v.type = ValueType::Binary;
    std::string d = a.data;
    if (d.size() % 2 || d.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
      throw UsageError{"REG_BINARY data must be hex pairs: " + d};
    }
    for (std::size_t i = 0; i < d.size(); i += 2) {
      v.binary.push_back(static_cast<std::uint8_t>(std::stoul(d.substr(i, 2), nullptr, 16)));
    }
  } else {
    throw UsageError{"unknown type " + a.type};
  }
  return v;
}

int NotFound() {
  std::fprintf(stderr,
               "kestrel-reg: the registry key or value was not found\n");
  return kNotFound;
}

int Run(const Args& a) {
  auto needKey = [&](std::size_t count) {
    if (a.positional.size() != count) throw UsageError{"wrong number of arguments for " + a.verb};
  };
  auto key = [&](Hive& hive, std::string& path) {
    if (!ParseKeyName(a.positional[0], hive, path)) {
      throw UsageError{"KEY must start with HKCU\\ or HKCR\\: " + a.positional[0]};
    }
  };
  Hive hive;
  std::string path;
  if (a.verb == "query") {
    needKey(1);
    key(hive, path);
    Registry& reg = TheRegistry();
    if (!reg.keyExists(hive, path)) return NotFound();
    path = reg.canonicalPath(hive, path);
    if (a.value) {
      auto v = reg.value(hive, path, *a.value);
      if (!v) return NotFound();
      std::printf("%s\n", FullName(hive, path).c_str());
      PrintValue(*v);
      return kOk;
    }
    PrintKey(reg, hive, path, a.recursive);
    return kOk;
  }
  if (a.verb == "add") {
    needKey(1);
    key(hive, path);
    if (path.empty()) throw UsageError{"values cannot be added to a hive itself"};
    RegValue v = MakeValue(a);
    Registry& reg = TheRegistry();
    reg.createKey(hive, path);
    if (a.value || !a.data.empty() || a.type != "REG_SZ") reg.setValue(hive, path, v);
    return kOk;
  }
  if (a.verb == "delete") {
    needKey(1);
    key(hive, path);
    Registry& reg = TheRegistry();
    if (a.value) return reg.deleteValue(hive, path, *a.value) ? kOk : NotFound();
    if (path.empty()) throw UsageError{"a hive cannot be deleted"};
    return reg.deleteKeyTree(hive, path) ? kOk : NotFound();
  }
  if (a.verb == "export") {
    needKey(2);
    key(hive, path);
    Registry& reg = TheRegistry();
    if (!reg.keyExists(hive, path)) return NotFound();
    std::string file = a.positional[1];
    std::string temp = file + ".part";
    {
      std::ofstream out(temp, std::ios::binary | std::ios::trunc);
      try {
        ExportKey(reg, hive, path, out);
      } catch (...) {
        out.close();
        std::remove(temp.c_str());
        throw;
      }
      if (!out.flush()) {
        std::remove(temp.c_str());
        throw UsageError{"cannot write " + file};
      }
    }
    if (std::rename(temp.c_str(), file.c_str()) != 0) {
      std::remove(temp.c_str());
      throw UsageError{"cannot write " + file};
    }
    return kOk;
  }
  if (a.verb == "import") {
    needKey(1);
    std::ifstream in(a.positional[0], std::ios::binary);
    if (!in) throw UsageError{"cannot read " + a.positional[0]};
    std::stringstream buf;
    buf << in.rdbuf();
    ImportText(TheRegistry(), buf.str());
    return kOk;
  }
  throw UsageError{"unknown command " + a.verb};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsageText, stderr);
    return kUsage;
  }
  if (IsOption(argv[1])) {
    if (auto code = AnswerStandardOption(argv[1], "kestrel-reg", kUsageText)) return *code;
    return RejectOption(argv[1], "kestrel-reg", kUsageText);
  }
  try {
    return Run(Parse(argc, argv));
  } catch (const UsageError& e) {
    std::fprintf(stderr, "kestrel-reg: %s (see kestrel-reg --help)\n", e.why.c_str());
  } catch (const UnknownOption& e) {
    return RejectOption(e.option, "kestrel-reg", kUsageText);
  } catch (const RegTextError& e) {
    std::fprintf(stderr, "kestrel-reg: %s: %s\n", argc > 2 ? argv[2] : "", e.what());
  } catch (const RegistryError& e) {
    std::fprintf(stderr, "kestrel-reg: %s\n", e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrel-reg: %s\n", e.what());
  }
  return kUsage;
}

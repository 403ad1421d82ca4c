#include "platform/RegText.h"

#include <iconv.h>

#include <cstdio>
#include <cctype>
#include <ostream>
#include <sstream>
#include <vector>

namespace kestrel {
namespace {

std::string Upper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return s;
}

std::string Hex2(unsigned v) {
  char buf[4];
  std::snprintf(buf, sizeof buf, "%02X", v & 0xFF);
  return buf;
}

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string ConvertUtf(const char* to, const char* from, const std::string& in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw RegTextError("no converter for the text");
  std::string out(in.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  std::size_t left = in.size();
  char* dst = out.data();
  std::size_t room = out.size();
  std::size_t rc = iconv(cd, &src, &left, &dst, &room);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1)) throw RegTextError("the text is not valid " + std::string(from));
  out.resize(out.size() - room);
  return out;
}

std::string HexList(const std::string& bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i) out += ',';
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(bytes[i]));
    out += buf;
  }
  return out;
}

void ExportValue(const RegValue& v, std::ostream& out) {
  out << (v.name.empty() ? "@" : Quote(v.name)) << '=';
  switch (v.type) {
    case ValueType::String:
      if (v.text.find_first_of("\r\n") != std::string::npos) {
        // Line breaks do not survive a quoted string: write it as regedit
        // writes multi-line texts, UTF-16LE bytes with their terminator.
        out << "hex(1):" << HexList(ConvertUtf("UTF-16LE", "UTF-8", v.text) + std::string(2, '\0'));
      } else {
        out << Quote(v.text);
      }
      break;
    case ValueType::Dword: {
      char buf[16];
      std::snprintf(buf, sizeof buf, "dword:%08x", v.dword);
      out << buf;
      break;
    }
    case ValueType::Binary:
      out << "hex:" << HexList(std::string(v.binary.begin(), v.binary.end()));
      break;
  }
  out << "\r\n";
}

// One planned change, checked before any is made.
struct Change {
  enum Kind { CreateKey, DeleteKey, SetValue, DeleteValue } kind;
  Hive hive;
  std::string path;
  RegValue value;
};

std::string ParseQuoted(const std::string& line, std::size_t& pos, int lineNo) {
  // pos at the opening quote
  std::string out;
  for (++pos; pos < line.size(); ++pos) {
    char c = line[pos];
    if (c == '\\' && pos + 1 < line.size()) {
      out += line[++pos];
    } else if (c == '"') {
      ++pos;
      return out;
    } else {
      out += c;
    }
  }
  throw RegTextError("line " + std::to_string(lineNo) + ": unterminated quoted text");
}

std::string ParseHexBytes(const std::string& text, int lineNo) {
  std::string out;
  std::string digits;
  auto flush = [&]() {
    if (digits.empty()) return;
    if (digits.size() > 2) throw RegTextError("line " + std::to_string(lineNo) + ": bad hex byte");
    out += static_cast<char>(std::stoul(digits, nullptr, 16));
    digits.clear();
  };
  for (char c : text) {
    if (std::isxdigit(static_cast<unsigned char>(c))) {
      digits += c;
    } else if (c == ',') {
      if (digits.empty()) throw RegTextError("line " + std::to_string(lineNo) + ": bad hex list");
      flush();
    } else if (c != ' ' && c != '\t') {
      throw RegTextError("line " + std::to_string(lineNo) + ": bad hex list");
    }
  }
  flush();
  return out;
}

}  // namespace

std::string HiveName(Hive hive) {
  return hive == Hive::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_CLASSES_ROOT";
}

bool ParseKeyName(const std::string& text, Hive& hive, std::string& path) {
  auto slash = text.find('\\');
  std::string root = Upper(text.substr(0, slash));
  if (root == "HKCU" || root == "HKEY_CURRENT_USER") {
    hive = Hive::CurrentUser;
  } else if (root == "HKCR" || root == "HKEY_CLASSES_ROOT") {
    hive = Hive::ClassesRoot;
  } else {
    return false;
  }
  path = slash == std::string::npos ? "" : text.substr(slash + 1);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return true;
}

std::string DataText(const RegValue& v) {
  switch (v.type) {
    case ValueType::String: return v.text;
    case ValueType::Dword: {
      char buf[16];
      std::snprintf(buf, sizeof buf, "0x%x", v.dword);
      return buf;
    }
    case ValueType::Binary: {
      std::string out;
      for (auto b : v.binary) out += Hex2(b);
      return out;
    }
  }
  return "";
}

void ExportKey(Registry& registry, Hive hive, const std::string& path, std::ostream& out) {
  out << "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n";
  registry.walkTree(hive, registry.canonicalPath(hive, path),
                    [&](const std::string& key, const std::vector<RegValue>& values) {
                      out << "[" << HiveName(hive) << (key.empty() ? "" : "\\" + key) << "]\r\n";
                      for (const RegValue& v : values) ExportValue(v, out);
                      out << "\r\n";
                    });
}

std::string ExportKey(Registry& registry, Hive hive, const std::string& path) {
  std::ostringstream out;
  ExportKey(registry, hive, path, out);
  return out.str();
}

void ImportText(Registry& registry, const std::string& bytes) {
  std::string text;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    text = ConvertUtf("UTF-8", "UTF-16LE", bytes.substr(2));
  } else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    text = bytes.substr(3);
  } else {
    text = bytes;
  }

  // Lines, with regedit's "\" continuations joined.
  std::vector<std::pair<int, std::string>> lines;
  {
    std::string cur;
    int no = 0, startNo = 1;
    std::size_t pos = 0;
    while (pos <= text.size()) {
      auto end = text.find('\n', pos);
      std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
      ++no;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (cur.empty()) startNo = no;
      // Only hex lists are wrapped; no other line can end in a backslash.
      bool continued = !line.empty() && line.back() == '\\';
      if (continued) line.pop_back();
      std::size_t lead = cur.empty() ? 0 : line.find_first_not_of(" \t");
      cur += line.substr(lead == std::string::npos ? line.size() : lead);
      if (!continued) {
        lines.emplace_back(startNo, cur);
        cur.clear();
      }
      if (end == std::string::npos) break;
      pos = end + 1;
    }
    if (!cur.empty()) lines.emplace_back(startNo, cur);
  }

  std::vector<Change> changes;
  bool header = false;
  bool inKey = false;
  Hive hive = Hive::CurrentUser;
  std::string path;
  for (auto& [no, line] : lines) {
    auto fail = [n = no](const std::string& why) {
      return RegTextError("line " + std::to_string(n) + ": " + why);
    };
    std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == ';') continue;
    std::string body = line.substr(first);
    if (!header) {
      if (body != "Windows Registry Editor Version 5.00" && body != "REGEDIT4") {
        throw fail("not a registry file (expected \"Windows Registry Editor Version 5.00\")");
      }
      header = true;
      continue;
    }
    if (body[0] == '[') {
      auto close = body.rfind(']');
      if (close == std::string::npos) throw fail("unterminated key name");
      std::string name = body.substr(1, close - 1);
      bool remove = !name.empty() && name[0] == '-';
      if (remove) name.erase(0, 1);
      if (!ParseKeyName(name, hive, path) || path.empty()) throw fail("unknown key " + name);
      changes.push_back({remove ? Change::DeleteKey : Change::CreateKey, hive, path, {}});
      inKey = !remove;
      continue;
    }
    if (!inKey) throw fail("value outside a key");
    RegValue v;
    std::size_t pos = 0;
    if (body[0] == '@') {
      pos = 1;
    } else if (body[0] == '"') {
      v.name = ParseQuoted(body, pos, no);
    } else {
      throw fail("expected a value name");
    }
    if (pos >= body.size() || body[pos] != '=') throw fail("expected \"=\"");
    std::string data = body.substr(pos + 1);
    if (data == "-") {
      changes.push_back({Change::DeleteValue, hive, path, v});
      continue;
    }
    if (!data.empty() && data[0] == '"') {
      std::size_t p = 0;
      v.type = ValueType::String;
      v.text = ParseQuoted(data, p, no);
      if (data.find_first_not_of(" \t", p) != std::string::npos) throw fail("text after the value");
    } else if (data.rfind("dword:", 0) == 0) {
      std::string digits = data.substr(6);
      if (digits.empty() || digits.size() > 8 ||
          digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        throw fail("bad dword");
      }
      v.type = ValueType::Dword;
      v.dword = static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16));
    } else if (data.rfind("hex", 0) == 0) {
      auto colon = data.find(':');
      if (colon == std::string::npos) throw fail("bad hex value");
      std::string kind = data.substr(3, colon - 3);
      std::string raw = ParseHexBytes(data.substr(colon + 1), no);
      if (kind.empty()) {
        v.type = ValueType::Binary;
        v.binary.assign(raw.begin(), raw.end());
      } else if (kind == "(1)" || kind == "(2)") {
        // Texts written as UTF-16LE bytes, terminator included.
        while (raw.size() >= 2 && raw[raw.size() - 1] == '\0' && raw[raw.size() - 2] == '\0') {
          raw.resize(raw.size() - 2);
        }
        if (raw.size() % 2) throw fail("odd length of a text value");
        v.type = ValueType::String;
        v.text = ConvertUtf("UTF-8", "UTF-16LE", raw);
      } else if (kind == "(4)") {
        if (raw.size() != 4) throw fail("bad dword");
        v.type = ValueType::Dword;
        v.dword = static_cast<std::uint8_t>(raw[0]) | static_cast<std::uint8_t>(raw[1]) << 8 |
                  static_cast<std::uint8_t>(raw[2]) << 16 |
                  static_cast<std::uint32_t>(static_cast<std::uint8_t>(raw[3])) << 24;
      } else {
        // Types this store does not know keep their bytes.
        v.type = ValueType::Binary;
        v.binary.assign(raw.begin(), raw.end());
      }
    } else {
      throw fail("unknown value data");
    }
    changes.push_back({Change::SetValue, hive, path, v});
  }
  if (!header) throw RegTextError("not a registry file (empty)");

  // All or nothing: a store that fails part way (locked, full) keeps what
  // it had.
  RegistryBatch batch(registry);
  for (const Change& c : changes) {
    switch (c.kind) {
      case Change::CreateKey: registry.createKey(c.hive, c.path); break;
      case Change::DeleteKey: registry.deleteKeyTree(c.hive, c.path); break;
      case Change::SetValue: registry.setValue(c.hive, c.path, c.value); break;
      case Change::DeleteValue: registry.deleteValue(c.hive, c.path, c.value.name); break;
    }
  }
  batch.Commit();
}

}  // namespace kestrel

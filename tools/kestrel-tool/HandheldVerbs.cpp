// `handheld sync`: a fake Palm handheld for the tests and the demo. It
// connects to a HotSync service over NetSync or a serial line, answers the service's DLP calls
// as a handheld does, holds the databases of a folder and stores each
// database installed onto it there as a .pdb or .prc file.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <thread>

#include "HandheldLink.h"
#include "Verbs.h"
#include "hotsync/Dlp.h"
#include "hotsync/NetSync.h"
#include "hotsync/PalmDatabase.h"
#include "hotsync/TcpStream.h"
#include "platform/Codepage.h"
#include "platform/WholeFile.h"

namespace kestrel::tool {
namespace {

using namespace kestrel::hotsync;

// Test knobs: each names a database by its position among those the
// service creates in this sync (1 = the first), 0 = off.
struct Knobs {
  int fullAt = 0;    // from this database's first write on, answer "memory full"
  int cutAt = 0;     // drop the connection at this database's first write
  int silentAt = 0;  // stop answering at this database's first write
  int garbleAt = 0;  // answer this database's first write as if it were another call
  int delayMs = 0;   // wait this long before every answer
};

struct Options {
  LinkOptions link;
  std::string userSjis;
  std::uint32_t userId = 0;
  std::string folder;
  Knobs knobs;
};

// A database name as a file name in the folder: separators, control bytes
// and a leading dot become '_'.
std::string FileNameFor(const PalmDatabase& db) {
  std::string name = Cp932ToUtf8(db.name);
  for (char& c : name) {
    auto u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || u < 0x20 || u == 0x7F) c = '_';
  }
  if (name.empty() || name[0] == '.') name = "_" + name;
  return name + (db.isResourceDb() ? ".prc" : ".pdb");
}

// The file's attribute byte back from the DLP attributes and category.
std::uint8_t FileRecordAttributes(std::uint8_t dlp, std::uint8_t category) {
  std::uint8_t flags = dlp & 0xF0;
  if (dlp & (0x80 | 0x20)) return flags | (dlp & 0x08);
  return flags | (category & 0x0F);
}

class FakeHandheld {
 public:
  explicit FakeHandheld(Options options) : o_(std::move(options)) { load(); }

  // 0 when the sync ended normally (EndOfSync answered), 1 otherwise.
  int run() {
    auto opened = OpenHandheldLink(o_.link);
    if (!opened) return fail(opened.error());
    DlpHandheldTransport& link = *opened->link;
    if (auto s = link.handshake(); !s) return fail(s.error());
    for (;;) {
      auto payload = link.receiveRequest();
      if (!payload) {
        if (ended_ && payload.error().code == kErrClosed) break;
        return fail(payload.error());
      }
      auto request = DecodeDlpRequest(*payload);
      if (!request) return fail(request.error());
      std::optional<DlpResponse> answer = answerTo(*request);
      if (!answer) return misbehave(*opened->stream, opened->sinkSilence);
      if (o_.knobs.delayMs > 0) std::this_thread::sleep_for(Millis(o_.knobs.delayMs));
      if (auto s = link.sendResponse(EncodeDlpResponse(*answer)); !s) return fail(s.error());
      // A serial line is never closed: EndOfSync's acknowledged answer ends it.
      if (ended_ && !opened->waitsForClose) break;
    }
    std::printf("HotSync: %d database(s) installed\n", installed_);
    return 0;
  }

 private:
  // The databases the handheld holds: the folder's Palm database files.
  void load() {
    std::error_code ec;
    std::filesystem::create_directories(o_.folder, ec);
    for (const auto& entry : std::filesystem::directory_iterator(o_.folder, ec)) {
      if (!entry.is_regular_file()) continue;
      auto bytes = ReadWholeFile(entry.path().string());
      if (!bytes) continue;
      if (auto db = ReadPalmDatabase(*bytes)) held_[db->name] = entry.path().string();
    }
  }

  // The answer to a request; nullopt when a knob says to misbehave now.
  std::optional<DlpResponse> answerTo(const DlpRequest& request) {
    const std::uint8_t func = request.func;
    auto bad = [&](const HsStatus& s) {
      std::fprintf(stderr, "kestrel-tool: handheld: %s\n", Describe(s.error()).c_str());
      return ToResponse(func, kDlpParam);
    };
    switch (static_cast<DlpFunc>(func)) {
      case DlpFunc::ReadSysInfo: {
        SysInfo info;
        info.romVersion = 0x04103000;  // Palm OS 4.1.0
        info.productId = std::string("\0\3\0\0", 4);
        info.hasDlpVersion = true;
        info.dlpMajor = 1;
        info.dlpMinor = 2;
        info.compatMajor = 1;
        info.maxRecordSize = 65505;
        return ToResponse(info);
      }
      case DlpFunc::ReadUserInfo: {
        UserInfo user;
        user.userId = o_.userId;
        user.userName = o_.userSjis;
        return ToResponse(user);
      }
      case DlpFunc::WriteUserInfo: {
        WriteUserInfoRequest r;
        if (auto s = Parse(request, r); !s) return bad(s);
        if (r.modFlags & kModUserId) {
          o_.userId = r.userId;
          std::printf("user ID set: %u\n", static_cast<unsigned>(r.userId));
        }
        return ToResponse(func);
      }
      case DlpFunc::OpenConduit:
      case DlpFunc::ResetSystem:
        return ToResponse(func);
      case DlpFunc::DeleteDB: {
        DeleteDbRequest r;
        if (auto s = Parse(request, r); !s) return bad(s);
        auto it = held_.find(r.name);
        if (it == held_.end()) return ToResponse(func, kDlpNotFound);
        std::error_code ec;
        std::filesystem::remove(it->second, ec);
        held_.erase(it);
        return ToResponse(func);
      }
      case DlpFunc::CreateDB: {
        CreateDbRequest r;
        if (auto s = Parse(request, r); !s) return bad(s);
        if (held_.count(r.name)) return ToResponse(func, kDlpAlreadyExists);
        OpenDb open;
        open.position = ++created_;
        open.db.name = r.name;
        open.db.attributes = r.attributes;
        open.db.version = r.version;
        open.db.type = r.type;
        open.db.creator = r.creator;
        std::uint8_t handle = nextHandle_++;
        open_[handle] = std::move(open);
        return ToResponse(DbHandle{handle});
      }
      case DlpFunc::WriteAppBlock:
      case DlpFunc::WriteSortBlock: {
        WriteBlockRequest r;
        if (auto s = Parse(request, r); !s) return bad(s);
        return write(func, r.handle, [&](PalmDatabase& db) {
          bool app = func == static_cast<std::uint8_t>(DlpFunc::WriteAppBlock);
          (app ? db.hasAppInfo : db.hasSortInfo) = true;
          (app ? db.appInfo : db.sortInfo) = r.data;
        });
      }
      case DlpFunc::WriteRecord: {
        WriteRecordRequest r;
        if (auto s = Parse(request, r); !s) return bad(s);
        std::uint32_t id = r.recordId ? r.recordId : 0x800000 + ++assignedIds_;
        auto answer = write(func, r.handle, [&](PalmDatabase& db) {
          db.records.push_back({FileRecordAttributes(r.attributes, r.category), id, r.data});
        });
        if (answer && answer->error == kDlpNone) return ToResponse(RecordIdAnswer{id});
        return answer;
      }
      case DlpFunc::WriteResource: {
        WriteResourceRequest r;
        if (auto s = Parse(request, r); !s) return bad(s);
        return write(func, r.handle, [&](PalmDatabase& db) {
          db.resources.push_back({r.type, r.id, r.data});
        });
      }
      case DlpFunc::CloseDB: {
        CloseDbRequest r;
        if (auto s = Parse(request, r); !s) return bad(s);
        if (r.all) {
          while (!open_.empty()) close(open_.begin()->first);
          return ToResponse(func);
        }
        if (!open_.count(r.handle)) return ToResponse(func, kDlpNoneOpen);
        if (trips(open_[r.handle], o_.knobs.cutAt) || trips(open_[r.handle], o_.knobs.silentAt)) {
          return std::nullopt;
        }
        close(r.handle);
        return ToResponse(func);
      }
      case DlpFunc::AddSyncLogEntry: {
        SyncLogRequest r;
        if (auto s = Parse(request, r); !s) return bad(s);
        std::printf("sync log: %s", r.text.c_str());
        if (r.text.empty() || r.text.back() != '\n') std::printf("\n");
        return ToResponse(func);
      }
      case DlpFunc::EndOfSync:
        ended_ = true;
        return ToResponse(func);
      default:
        return ToResponse(func, kDlpIllegalRequest);
    }
  }

  struct OpenDb {
    PalmDatabase db;
    int position = 0;
    bool failed = false;  // a write was refused: the database is not kept
  };

  static bool trips(const OpenDb& db, int knob) { return knob > 0 && db.position == knob; }

  template <class Fn>
  std::optional<DlpResponse> write(std::uint8_t func, std::uint8_t handle, Fn&& apply) {
    auto it = open_.find(handle);
    if (it == open_.end()) return ToResponse(func, kDlpNoneOpen);
    OpenDb& open = it->second;
    if (trips(open, o_.knobs.cutAt) || trips(open, o_.knobs.silentAt)) return std::nullopt;
    if (trips(open, o_.knobs.garbleAt)) {
      open.failed = true;
      return ToResponse(static_cast<std::uint8_t>(DlpFunc::ReadUserInfo));
    }
    if (o_.knobs.fullAt > 0 && open.position >= o_.knobs.fullAt) {
      open.failed = true;
      return ToResponse(func, kDlpNotEnoughSpace);
    }
    apply(open.db);
    return ToResponse(func);
  }

  void close(std::uint8_t handle) {
    OpenDb open = std::move(open_[handle]);
    open_.erase(handle);
    if (open.failed) return;
    std::string path = o_.folder + "/" + FileNameFor(open.db);
    if (!ReplaceFileContents(path, WritePalmDatabase(open.db))) {
      std::fprintf(stderr, "kestrel-tool: handheld: cannot write %s\n", path.c_str());
      return;
    }
    held_[open.db.name] = path;
    ++installed_;
  }

  // --cut-at drops the connection; --silent-at says nothing more and waits
  // for the service to give up.
  int misbehave(ByteStream& stream, Millis sinkSilence) {
    if (o_.knobs.silentAt > 0 && created_ == o_.knobs.silentAt) {
      char sink[4096];
      for (;;) {
        auto n = stream.readSome(sink, sizeof sink, sinkSilence);
        if (!n) break;
      }
      std::fprintf(stderr, "kestrel-tool: handheld: fell silent at database %d\n", created_);
    } else {
      std::fprintf(stderr, "kestrel-tool: handheld: dropped the connection at database %d\n",
                   created_);
    }
    stream.close();
    return 1;
  }

  int fail(const HotSyncError& error) {
    std::fprintf(stderr, "kestrel-tool: handheld: %s\n", Describe(error).c_str());
    return 1;
  }

  Options o_;
  std::map<std::string, std::string> held_;  // database name -> its file
  std::map<std::uint8_t, OpenDb> open_;
  std::uint8_t nextHandle_ = 1;
  int created_ = 0;
  int installed_ = 0;
  std::uint32_t assignedIds_ = 0;
  bool ended_ = false;
};

int Number(const std::string& option, const std::string& text, long long max) {
  char* end = nullptr;
  long long n = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || n < 0 || n > max) {
    throw UsageError(option + " needs a number from 0 to " + std::to_string(max) + ": " + text);
  }
  return static_cast<int>(n);
}

Options ParseSyncOptions(const VerbArgs& args) {
  Options o;
  bool user = false, id = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
    const std::string& v = args[++i];
    if (ParseLinkOption(a, v, o.link)) {
      continue;
    } else if (a == "--user") {
      // An empty name is a handheld never named.
      if (!FitsCp932(v)) throw UsageError("the user name must be Shift_JIS text: " + v);
      o.userSjis = Utf8ToCp932(v);
      user = true;
    } else if (a == "--id") {
      char* end = nullptr;
      unsigned long long n = std::strtoull(v.c_str(), &end, 10);
      if (v.empty() || *end != '\0' || n > 0xFFFFFFFFull) throw UsageError("--id: " + v);
      o.userId = static_cast<std::uint32_t>(n);
      id = true;
    } else if (a == "--dir") {
      o.folder = v;
    } else if (a == "--full-at") {
      o.knobs.fullAt = Number(a, v, 10000);
    } else if (a == "--cut-at") {
      o.knobs.cutAt = Number(a, v, 10000);
    } else if (a == "--silent-at") {
      o.knobs.silentAt = Number(a, v, 10000);
    } else if (a == "--garble-at") {
      o.knobs.garbleAt = Number(a, v, 10000);
    } else if (a == "--delay-ms") {
      o.knobs.delayMs = Number(a, v, 60000);
    } else {
      throw UsageError("unknown option " + a);
    }
  }
  if (o.link.kind == LinkOptions::Kind::None || !user || !id || o.folder.empty()) {
    throw UsageError(
        "sync needs --net HOST:PORT (or --serial DEVICE or --serial-net HOST:PORT) --user NAME "
        "--id N --dir FOLDER");
  }
  return o;
}

VerbRegistration handheld(
    "handheld",
    "handheld sync --net HOST:PORT|--serial DEVICE|--serial-net HOST:PORT --user NAME --id N "
    "--dir FOLDER [--rate N] [--full-at N] [--cut-at N] [--silent-at N] [--garble-at N] "
    "[--delay-ms MS] [--corrupt-frame N] [--drop-ack N]    (a fake handheld: HotSyncs with the "
    "service as that user over NetSync or the serial stack (ID 0: never synced; an ID the "
    "service gives it is printed), holding FOLDER's databases and storing there each one "
    "installed; exit 0 when the sync ended normally. --rate is the fastest serial rate it "
    "offers (9600: no change). The knobs misbehave from the Nth database the service creates: "
    "memory full, the connection dropped, silence, an answer to another call; --delay-ms slows "
    "every answer; on a serial line --corrupt-frame spoils the CRC of the Nth data frame sent "
    "and --drop-ack leaves the Nth acknowledgement unsent, once each)",
    [](const VerbArgs& args) {
      if (args.empty() || args[0] != "sync") throw UsageError("handheld sync ...");
      return FakeHandheld(ParseSyncOptions(args)).run();
    });

}  // namespace
}  // namespace kestrel::tool

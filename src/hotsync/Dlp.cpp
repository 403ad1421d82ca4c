#include "hotsync/Dlp.h"

#include <cstdio>

#include "hotsync/Bytes.h"

namespace kestrel::hotsync {

namespace {

HotSyncError Bad(std::uint8_t func, std::string text) {
  return MakeError(DlpFuncName(func), kErrProtocol, std::move(text));
}

void PutArgs(ByteWriter& out, const std::vector<DlpArg>& args) {
  for (const DlpArg& a : args) {
    std::size_t n = a.data.size();
    std::uint8_t id = a.id & 0x3F;
    if (n <= 0xFF) out.u8(id).u8(n);
    else if (n <= 0xFFFF) out.u8(id | 0x80).u8(0).u16(n);
    else out.u8(id | 0x40).u8(0).u32(static_cast<std::uint32_t>(n));
    out.bytes(a.data);
  }
}

HsStatus GetArgs(ByteReader& in, std::size_t count, std::uint8_t func, std::vector<DlpArg>& args) {
  args.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t first = in.u8();
    std::uint32_t n = 0;
    switch (first & 0xC0) {
      case 0x00: n = in.u8(); break;
      case 0x80: in.u8(); n = in.u16(); break;
      case 0x40: in.u8(); n = in.u32(); break;
      default: return Bad(func, "an argument of an unknown form");
    }
    if (in.failed()) return Bad(func, "an argument header past the end");
    if (n > in.left()) return Bad(func, "an argument longer than the message");
    args.push_back(DlpArg{static_cast<std::uint8_t>(first & 0x3F), std::string(in.bytes(n))});
  }
  if (in.left() != 0) return Bad(func, "bytes after the last argument");
  return {};
}

const DlpArg* FindArg(const std::vector<DlpArg>& args, std::uint8_t id) {
  for (const DlpArg& a : args)
    if (a.id == id) return &a;
  return nullptr;
}

DlpRequest Request(DlpFunc func, std::string arg) {
  DlpRequest r;
  r.func = static_cast<std::uint8_t>(func);
  r.args.push_back(DlpArg{kDlpArgBase, std::move(arg)});
  return r;
}

DlpResponse Response(DlpFunc func, std::string arg) {
  DlpResponse r;
  r.func = static_cast<std::uint8_t>(func);
  r.args.push_back(DlpArg{kDlpArgBase, std::move(arg)});
  return r;
}

// The main argument of a request or answer to `func`, checked.
template <class Message>
HsResult<ByteReader> MainArg(const Message& m, DlpFunc func) {
  auto f = static_cast<std::uint8_t>(func);
  if (m.func != f) return Bad(f, "a message for " + DlpFuncName(m.func));
  const DlpArg* a = m.arg(kDlpArgBase);
  if (!a) return Bad(f, "its argument is missing");
  return ByteReader(a->data);
}

HsStatus Done(const ByteReader& in, DlpFunc func) {
  if (in.failed()) return Bad(static_cast<std::uint8_t>(func), "its argument is cut short");
  return {};
}

void PutDate(ByteWriter& out, const DlpDateTime& d) {
  out.u16(d.year).u8(d.month).u8(d.day).u8(d.hour).u8(d.minute).u8(d.second).u8(0);
}

DlpDateTime GetDate(ByteReader& in) {
  DlpDateTime d;
  d.year = in.u16();
  d.month = in.u8();
  d.day = in.u8();
  d.hour = in.u8();
  d.minute = in.u8();
  d.second = in.u8();
  in.u8();
  return d;
}

}  // namespace

std::string DlpFuncName(std::uint8_t func) {
  switch (static_cast<DlpFunc>(func)) {
    case DlpFunc::ReadUserInfo: return "ReadUserInfo";
    case DlpFunc::WriteUserInfo: return "WriteUserInfo";
    case DlpFunc::ReadSysInfo: return "ReadSysInfo";
    case DlpFunc::ReadDBList: return "ReadDBList";
    case DlpFunc::OpenDB: return "OpenDB";
    case DlpFunc::CreateDB: return "CreateDB";
    case DlpFunc::CloseDB: return "CloseDB";
    case DlpFunc::DeleteDB: return "DeleteDB";
    case DlpFunc::WriteAppBlock: return "WriteAppBlock";
    case DlpFunc::WriteSortBlock: return "WriteSortBlock";
    case DlpFunc::WriteRecord: return "WriteRecord";
    case DlpFunc::WriteResource: return "WriteResource";
    case DlpFunc::ResetSystem: return "ResetSystem";
    case DlpFunc::AddSyncLogEntry: return "AddSyncLogEntry";
    case DlpFunc::OpenConduit: return "OpenConduit";
    case DlpFunc::EndOfSync: return "EndOfSync";
  }
  char text[24];
  std::snprintf(text, sizeof text, "DLP call 0x%02X", func);
  return text;
}

std::string DlpErrorText(int code) {
  switch (code) {
    case kDlpNone: return "no error";
    case kDlpSystem: return "handheld system error";
    case kDlpIllegalRequest: return "call not supported by the handheld";
    case kDlpMemory: return "handheld out of working memory";
    case kDlpParam: return "invalid parameter";
    case kDlpNotFound: return "not found";
    case kDlpNoneOpen: return "no open database";
    case kDlpDatabaseOpen: return "database in use";
    case kDlpTooManyOpen: return "too many open databases";
    case kDlpAlreadyExists: return "database already exists";
    case kDlpCantOpen: return "cannot open database";
    case 11: return "record deleted";
    case 12: return "record busy";
    case kDlpNotSupported: return "operation not supported";
    case kDlpReadOnly: return "read-only";
    case kDlpNotEnoughSpace: return "memory full";
    case kDlpLimitExceeded: return "size limit exceeded";
    case kDlpCancelSync: return "sync cancelled on the handheld";
    case 19: return "bad argument wrapper";
    case 20: return "argument missing";
    case 21: return "bad argument size";
    default: return "handheld error " + std::to_string(code);
  }
}

const DlpArg* DlpRequest::arg(std::uint8_t id) const { return FindArg(args, id); }
const DlpArg* DlpResponse::arg(std::uint8_t id) const { return FindArg(args, id); }

std::string EncodeDlpRequest(const DlpRequest& request) {
  ByteWriter out;
  std::size_t size = 2;
  for (const DlpArg& a : request.args) size += 6 + a.data.size();
  out.reserve(size);
  out.u8(request.func & 0x7F).u8(request.args.size());
  PutArgs(out, request.args);
  return out.take();
}

std::string EncodeDlpResponse(const DlpResponse& response) {
  ByteWriter out;
  out.u8(response.func | 0x80).u8(response.args.size()).u16(static_cast<std::uint16_t>(response.error));
  PutArgs(out, response.args);
  return out.take();
}

HsResult<DlpRequest> DecodeDlpRequest(std::string_view payload) {
  ByteReader in(payload);
  DlpRequest r;
  r.func = in.u8();
  std::size_t count = in.u8();
  if (in.failed()) return MakeError("DLP", kErrProtocol, "a request cut short");
  if (r.func & 0x80) return Bad(r.func & 0x7F, "an answer where a request was expected");
  if (auto s = GetArgs(in, count, r.func, r.args); !s) return s.error();
  return r;
}

HsResult<DlpResponse> DecodeDlpResponse(std::string_view payload) {
  ByteReader in(payload);
  std::uint8_t func = in.u8();
  std::size_t count = in.u8();
  DlpResponse r;
  r.error = in.u16();
  if (in.failed()) return MakeError("DLP", kErrProtocol, "an answer cut short");
  if (!(func & 0x80)) return Bad(func, "a request where an answer was expected");
  r.func = func & 0x7F;
  if (auto s = GetArgs(in, count, r.func, r.args); !s) return s.error();
  return r;
}

HsResult<DlpResponse> DecodeDlpResponseTo(std::string_view payload, std::uint8_t func) {
  auto r = DecodeDlpResponse(payload);
  if (!r) {
    HotSyncError e = r.error();
    e.call = DlpFuncName(func);
    return e;
  }
  if (r->func != func) return Bad(func, "the answer is to another call (" + DlpFuncName(r->func) + ")");
  if (r->error != kDlpNone && !r->args.empty()) return Bad(func, "an error answer with arguments");
  return r;
}

std::string RomVersionText(std::uint32_t v) {
  unsigned major = v >> 24, minor = (v >> 20) & 0xF, fix = (v >> 16) & 0xF, stage = (v >> 12) & 0xF;
  std::string text = std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(fix);
  static const char* const kStages[] = {" development", " alpha", " beta"};
  if (stage < 3) text += kStages[stage];
  return text;
}

// ---- Requests, the desktop's side.

DlpRequest ToRequest(const SysInfoRequest& r) {
  return Request(DlpFunc::ReadSysInfo, ByteWriter().u16(r.hostMajor).u16(r.hostMinor).take());
}
DlpRequest ToRequest(const WriteUserInfoRequest& r) {
  ByteWriter out;
  out.u32(r.userId).u32(r.viewerId).u32(r.lastSyncPc);
  PutDate(out, r.lastSync);
  out.u8(r.modFlags).u8(r.userName.size() + 1).cstring(r.userName);
  return Request(DlpFunc::WriteUserInfo, out.take());
}
DlpRequest ToRequest(const DeleteDbRequest& r) {
  return Request(DlpFunc::DeleteDB, ByteWriter().u8(r.card).u8(0).cstring(r.name).take());
}
DlpRequest ToRequest(const CreateDbRequest& r) {
  return Request(DlpFunc::CreateDB, ByteWriter()
                                        .fixed(r.creator, 4)
                                        .fixed(r.type, 4)
                                        .u8(r.card)
                                        .u8(0)
                                        .u16(r.attributes)
                                        .u16(r.version)
                                        .cstring(r.name)
                                        .take());
}
DlpRequest ToRequest(const CloseDbRequest& r) {
  if (r.all) {
    DlpRequest all;
    all.func = static_cast<std::uint8_t>(DlpFunc::CloseDB);
    all.args.push_back(DlpArg{kDlpArgBase + 1, {}});
    return all;
  }
  return Request(DlpFunc::CloseDB, ByteWriter().u8(r.handle).take());
}
DlpRequest ToRequest(DlpFunc appOrSortBlock, const WriteBlockRequest& r) {
  ByteWriter out;
  out.reserve(4 + r.data.size());
  out.u8(r.handle).u8(0).u16(static_cast<std::uint32_t>(r.data.size())).bytes(r.data);
  return Request(appOrSortBlock, out.take());
}
DlpRequest ToRequest(const WriteRecordRequest& r) {
  ByteWriter out;
  out.reserve(8 + r.data.size());
  out.u8(r.handle).u8(0x80).u32(r.recordId).u8(r.attributes).u8(r.category).bytes(r.data);
  return Request(DlpFunc::WriteRecord, out.take());
}
DlpRequest ToRequest(const WriteResourceRequest& r) {
  ByteWriter out;
  out.reserve(10 + r.data.size());
  out.u8(r.handle).u8(0).fixed(r.type, 4).u16(r.id).u16(static_cast<std::uint32_t>(r.data.size()));
  out.bytes(r.data);
  return Request(DlpFunc::WriteResource, out.take());
}
DlpRequest ToRequest(const SyncLogRequest& r) {
  return Request(DlpFunc::AddSyncLogEntry, ByteWriter().cstring(r.text).take());
}
DlpRequest ToRequest(const EndOfSyncRequest& r) {
  return Request(DlpFunc::EndOfSync, ByteWriter().u16(static_cast<std::uint16_t>(r.code)).take());
}
DlpRequest ToRequest(const DbListRequest& r) {
  return Request(DlpFunc::ReadDBList, ByteWriter().u8(r.flags).u8(r.card).u16(r.start).take());
}
DlpRequest ToRequest(DlpFunc func) {
  DlpRequest r;
  r.func = static_cast<std::uint8_t>(func);
  return r;
}

// ---- Requests, the handheld's side.

HsStatus Parse(const DlpRequest& in, SysInfoRequest& out) {
  if (in.func != static_cast<std::uint8_t>(DlpFunc::ReadSysInfo))
    return Bad(in.func, "not a ReadSysInfo request");
  out = SysInfoRequest{0, 0};  // an older desktop sends no version
  const DlpArg* a = in.arg();
  if (!a) return {};
  ByteReader r(a->data);
  out.hostMajor = r.u16();
  out.hostMinor = r.u16();
  return Done(r, DlpFunc::ReadSysInfo);
}

HsStatus Parse(const DlpRequest& in, WriteUserInfoRequest& out) {
  auto r = MainArg(in, DlpFunc::WriteUserInfo);
  if (!r) return r.error();
  out.userId = r->u32();
  out.viewerId = r->u32();
  out.lastSyncPc = r->u32();
  out.lastSync = GetDate(*r);
  out.modFlags = r->u8();
  std::string_view name = r->bytes(r->u8());
  if (auto s = Done(*r, DlpFunc::WriteUserInfo); !s) return s;
  out.userName = std::string(name.substr(0, name.find('\0')));
  return {};
}

HsStatus Parse(const DlpRequest& in, DeleteDbRequest& out) {
  auto r = MainArg(in, DlpFunc::DeleteDB);
  if (!r) return r.error();
  out.card = r->u8();
  r->u8();
  out.name = std::string(r->cstring());
  return Done(*r, DlpFunc::DeleteDB);
}

HsStatus Parse(const DlpRequest& in, CreateDbRequest& out) {
  auto r = MainArg(in, DlpFunc::CreateDB);
  if (!r) return r.error();
  out.creator = std::string(r->bytes(4));
  out.type = std::string(r->bytes(4));
  out.card = r->u8();
  r->u8();
  out.attributes = r->u16();
  out.version = r->u16();
  out.name = std::string(r->cstring());
  return Done(*r, DlpFunc::CreateDB);
}

HsStatus Parse(const DlpRequest& in, CloseDbRequest& out) {
  if (in.func != static_cast<std::uint8_t>(DlpFunc::CloseDB)) return Bad(in.func, "not a CloseDB request");
  if (in.arg(kDlpArgBase + 1)) {
    out = CloseDbRequest{true, 0};
    return {};
  }
  auto r = MainArg(in, DlpFunc::CloseDB);
  if (!r) return r.error();
  out = CloseDbRequest{false, r->u8()};
  return Done(*r, DlpFunc::CloseDB);
}

HsStatus Parse(const DlpRequest& in, WriteBlockRequest& out) {
  auto func = static_cast<DlpFunc>(in.func);
  if (func != DlpFunc::WriteAppBlock && func != DlpFunc::WriteSortBlock)
    return Bad(in.func, "not a block write");
  auto r = MainArg(in, func);
  if (!r) return r.error();
  out.handle = r->u8();
  r->u8();
  std::uint16_t n = r->u16();
  out.data = std::string(r->bytes(n));
  if (!r->failed() && r->left() != 0) return Bad(in.func, "bytes after the block");
  return Done(*r, func);
}

HsStatus Parse(const DlpRequest& in, WriteRecordRequest& out) {
  auto r = MainArg(in, DlpFunc::WriteRecord);
  if (!r) return r.error();
  out.handle = r->u8();
  r->u8();
  out.recordId = r->u32();
  out.attributes = r->u8();
  out.category = r->u8();
  out.data = std::string(r->rest());
  return Done(*r, DlpFunc::WriteRecord);
}

HsStatus Parse(const DlpRequest& in, WriteResourceRequest& out) {
  auto r = MainArg(in, DlpFunc::WriteResource);
  if (!r) return r.error();
  out.handle = r->u8();
  r->u8();
  out.type = std::string(r->bytes(4));
  out.id = r->u16();
  std::uint16_t n = r->u16();
  out.data = std::string(r->bytes(n));
  if (!r->failed() && r->left() != 0) return Bad(in.func, "bytes after the resource");
  return Done(*r, DlpFunc::WriteResource);
}

HsStatus Parse(const DlpRequest& in, SyncLogRequest& out) {
  auto r = MainArg(in, DlpFunc::AddSyncLogEntry);
  if (!r) return r.error();
  out.text = std::string(r->cstring());
  return Done(*r, DlpFunc::AddSyncLogEntry);
}

HsStatus Parse(const DlpRequest& in, EndOfSyncRequest& out) {
  auto r = MainArg(in, DlpFunc::EndOfSync);
  if (!r) return r.error();
  out.code = static_cast<EndOfSyncCode>(r->u16());
  return Done(*r, DlpFunc::EndOfSync);
}

HsStatus Parse(const DlpRequest& in, DbListRequest& out) {
  auto r = MainArg(in, DlpFunc::ReadDBList);
  if (!r) return r.error();
  out.flags = r->u8();
  out.card = r->u8();
  out.start = r->u16();
  return Done(*r, DlpFunc::ReadDBList);
}

// ---- Answers, the handheld's side.

DlpResponse ToResponse(const SysInfo& a) {
  ByteWriter out;
  out.u32(a.romVersion).u32(a.localizationId).u8(0).u8(a.productId.size()).bytes(a.productId);
  DlpResponse r = Response(DlpFunc::ReadSysInfo, out.take());
  if (a.hasDlpVersion) {
    ByteWriter v;
    v.u16(a.dlpMajor).u16(a.dlpMinor).u16(a.compatMajor).u16(a.compatMinor).u32(a.maxRecordSize);
    r.args.push_back(DlpArg{kDlpArgBase + 1, v.take()});
  }
  return r;
}

DlpResponse ToResponse(const UserInfo& a) {
  ByteWriter out;
  out.u32(a.userId).u32(a.viewerId).u32(a.lastSyncPc);
  PutDate(out, a.successfulSync);
  PutDate(out, a.lastSync);
  out.u8(a.userName.empty() ? 0 : a.userName.size() + 1).u8(a.password.size());
  if (!a.userName.empty()) out.cstring(a.userName);
  out.bytes(a.password);
  return Response(DlpFunc::ReadUserInfo, out.take());
}

DlpResponse ToResponse(const DbHandle& a) {
  return Response(DlpFunc::CreateDB, ByteWriter().u8(a.handle).take());
}

DlpResponse ToResponse(const RecordIdAnswer& a) {
  return Response(DlpFunc::WriteRecord, ByteWriter().u32(a.recordId).take());
}

DlpResponse ToResponse(const DbList& a) {
  ByteWriter out;
  out.u16(a.lastIndex).u8(a.more ? 0x80 : 0).u8(a.databases.size());
  for (const DbInfo& d : a.databases) {
    ByteWriter info;
    info.u8(d.miscFlags).u16(d.attributes).fixed(d.type, 4).fixed(d.creator, 4).u16(d.version);
    info.u32(d.modificationNumber);
    PutDate(info, d.created);
    PutDate(info, d.modified);
    PutDate(info, d.backedUp);
    info.u16(d.index).cstring(d.name);
    out.u8(info.str().size() + 1).bytes(info.str());
  }
  return Response(DlpFunc::ReadDBList, out.take());
}

DlpResponse ToResponse(std::uint8_t func, int error) {
  DlpResponse r;
  r.func = func & 0x7F;
  r.error = error;
  return r;
}

// ---- Answers, the desktop's side.

HsStatus Parse(const DlpResponse& in, SysInfo& out) {
  auto r = MainArg(in, DlpFunc::ReadSysInfo);
  if (!r) return r.error();
  out.romVersion = r->u32();
  out.localizationId = r->u32();
  r->u8();
  std::uint8_t n = r->u8();
  out.productId = std::string(r->bytes(n));
  if (auto s = Done(*r, DlpFunc::ReadSysInfo); !s) return s;
  out.hasDlpVersion = false;
  out.maxRecordSize = 0;
  if (const DlpArg* v = in.arg(kDlpArgBase + 1)) {
    ByteReader d(v->data);
    out.dlpMajor = d.u16();
    out.dlpMinor = d.u16();
    out.compatMajor = d.u16();
    out.compatMinor = d.u16();
    out.maxRecordSize = d.u32();
    out.hasDlpVersion = true;
    return Done(d, DlpFunc::ReadSysInfo);
  }
  return {};
}

HsStatus Parse(const DlpResponse& in, UserInfo& out) {
  auto r = MainArg(in, DlpFunc::ReadUserInfo);
  if (!r) return r.error();
  out.userId = r->u32();
  out.viewerId = r->u32();
  out.lastSyncPc = r->u32();
  out.successfulSync = GetDate(*r);
  out.lastSync = GetDate(*r);
  std::uint8_t nameLength = r->u8();
  std::uint8_t passwordLength = r->u8();
  std::string_view name = r->bytes(nameLength);
  out.password = std::string(r->bytes(passwordLength));
  if (auto s = Done(*r, DlpFunc::ReadUserInfo); !s) return s;
  // The length counts the zero; a name without one is taken as sent.
  out.userName = std::string(name.substr(0, name.find('\0')));
  return {};
}

HsStatus Parse(const DlpResponse& in, DbHandle& out) {
  auto r = MainArg(in, DlpFunc::CreateDB);
  if (!r) return r.error();
  out.handle = r->u8();
  return Done(*r, DlpFunc::CreateDB);
}

HsStatus Parse(const DlpResponse& in, RecordIdAnswer& out) {
  auto r = MainArg(in, DlpFunc::WriteRecord);
  if (!r) return r.error();
  out.recordId = r->u32();
  return Done(*r, DlpFunc::WriteRecord);
}

HsStatus Parse(const DlpResponse& in, DbList& out) {
  auto r = MainArg(in, DlpFunc::ReadDBList);
  if (!r) return r.error();
  out.lastIndex = r->u16();
  out.more = (r->u8() & 0x80) != 0;
  std::uint8_t count = r->u8();
  out.databases.clear();
  for (std::uint8_t i = 0; i < count && !r->failed(); ++i) {
    std::uint8_t size = r->u8();
    if (size < 1) return Bad(in.func, "a database entry of no size");
    ByteReader d(r->bytes(size - 1u));
    DbInfo info;
    info.miscFlags = d.u8();
    info.attributes = d.u16();
    info.type = std::string(d.bytes(4));
    info.creator = std::string(d.bytes(4));
    info.version = d.u16();
    info.modificationNumber = d.u32();
    info.created = GetDate(d);
    info.modified = GetDate(d);
    info.backedUp = GetDate(d);
    info.index = d.u16();
    info.name = std::string(d.cstring());
    if (d.failed()) return Bad(in.func, "a database entry cut short");
    out.databases.push_back(std::move(info));
  }
  return Done(*r, DlpFunc::ReadDBList);
}

}  // namespace kestrel::hotsync

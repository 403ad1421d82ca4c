// Desktop Link Protocol: requests (function id, arguments) and responses
// (function id | 0x80, error code, arguments), and the typed arguments of the
// calls an install uses, both ways: the desktop encodes requests and decodes
// answers, the handheld decodes requests and encodes answers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hotsync/Result.h"

namespace kestrel::hotsync {

enum class DlpFunc : std::uint8_t {
  ReadUserInfo = 0x10,
  WriteUserInfo = 0x11,
  ReadSysInfo = 0x12,
  ReadDBList = 0x16,
  OpenDB = 0x17,
  CreateDB = 0x18,
  CloseDB = 0x19,
  DeleteDB = 0x1A,
  WriteAppBlock = 0x1C,
  WriteSortBlock = 0x1E,
  WriteRecord = 0x21,
  WriteResource = 0x24,
  ResetSystem = 0x29,
  AddSyncLogEntry = 0x2A,
  OpenConduit = 0x2E,
  EndOfSync = 0x2F,
};
// "CreateDB"; "DLP call 0xNN" for an id not listed above.
std::string DlpFuncName(std::uint8_t func);

// The handheld's error codes that an installer acts on.
enum DlpError : int {
  kDlpNone = 0,
  kDlpSystem = 1,
  kDlpIllegalRequest = 2,
  kDlpMemory = 3,
  kDlpParam = 4,
  kDlpNotFound = 5,
  kDlpNoneOpen = 6,
  kDlpDatabaseOpen = 7,
  kDlpTooManyOpen = 8,
  kDlpAlreadyExists = 9,
  kDlpCantOpen = 10,
  kDlpNotSupported = 13,
  kDlpReadOnly = 15,
  kDlpNotEnoughSpace = 16,
  kDlpLimitExceeded = 17,
  kDlpCancelSync = 18,
};
// A readable text for a handheld's code, e.g. 16 -> "memory full".
std::string DlpErrorText(int code);

constexpr std::uint8_t kDlpArgBase = 0x20;

struct DlpArg {
  std::uint8_t id = kDlpArgBase;
  std::string data;
};

struct DlpRequest {
  std::uint8_t func = 0;
  std::vector<DlpArg> args;
  // The argument with that id, or nullptr.
  const DlpArg* arg(std::uint8_t id = kDlpArgBase) const;
};

struct DlpResponse {
  std::uint8_t func = 0;  // the request's id, without the 0x80 bit
  int error = kDlpNone;
  std::vector<DlpArg> args;
  const DlpArg* arg(std::uint8_t id = kDlpArgBase) const;
};

// Each argument in the smallest of the tiny/short/long forms that fits.
std::string EncodeDlpRequest(const DlpRequest& request);
std::string EncodeDlpResponse(const DlpResponse& response);
// Every length is checked against the payload; trailing bytes are an error.
HsResult<DlpRequest> DecodeDlpRequest(std::string_view payload);
HsResult<DlpResponse> DecodeDlpResponse(std::string_view payload);
// As above, and the answer must be to `func`, with no arguments on an error.
HsResult<DlpResponse> DecodeDlpResponseTo(std::string_view payload, std::uint8_t func);

// Local wall-clock time; year 0 = no date.
struct DlpDateTime {
  std::uint16_t year = 0;
  std::uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
  bool operator==(const DlpDateTime&) const = default;
};

// ---- Typed arguments. Each request type knows its function id; ToRequest
// builds the request, Parse checks and reads it (the handheld's side). Each
// answer type has ToResponse and Parse the same way.

struct SysInfoRequest {  // ReadSysInfo
  std::uint16_t hostMajor = 1, hostMinor = 4;
};
struct SysInfo {
  std::uint32_t romVersion = 0;
  std::uint32_t localizationId = 0;
  std::string productId;
  bool hasDlpVersion = false;  // the optional 0x21 argument (DLP 1.2+)
  std::uint16_t dlpMajor = 0, dlpMinor = 0, compatMajor = 0, compatMinor = 0;
  std::uint32_t maxRecordSize = 0;  // 0 when not told
};
// "4.1.0" from 0x04103000 (the stage is left out when it is "release").
std::string RomVersionText(std::uint32_t romVersion);

struct UserInfo {  // ReadUserInfo's answer; the request has no arguments
  std::uint32_t userId = 0, viewerId = 0, lastSyncPc = 0;
  DlpDateTime successfulSync, lastSync;
  std::string userName;  // the bytes as sent (device encoding), without the zero
  std::string password;
};

// WriteUserInfo: the fields named in modFlags are set on the handheld.
constexpr std::uint8_t kModUserId = 0x80;
struct WriteUserInfoRequest {
  std::uint32_t userId = 0, viewerId = 0, lastSyncPc = 0;
  DlpDateTime lastSync;
  std::uint8_t modFlags = 0;
  std::string userName;  // device encoding, without the zero
};

struct DeleteDbRequest {
  std::uint8_t card = 0;
  std::string name;
};
struct CreateDbRequest {
  std::string creator, type;  // 4 bytes each
  std::uint8_t card = 0;
  std::uint16_t attributes = 0, version = 0;
  std::string name;  // at most 31 bytes
};
struct DbHandle {  // CreateDB's answer
  std::uint8_t handle = 0;
};
struct CloseDbRequest {
  bool all = false;  // argument 0x21: close every open database
  std::uint8_t handle = 0;
};
struct WriteBlockRequest {  // WriteAppBlock and WriteSortBlock
  std::uint8_t handle = 0;
  std::string data;
};
struct WriteRecordRequest {
  std::uint8_t handle = 0;
  std::uint32_t recordId = 0;  // 0: the handheld assigns one
  std::uint8_t attributes = 0;  // DLP record attributes
  std::uint8_t category = 0;
  std::string data;
};
struct RecordIdAnswer {  // WriteRecord's answer
  std::uint32_t recordId = 0;
};
struct WriteResourceRequest {
  std::uint8_t handle = 0;
  std::string type;  // 4 bytes
  std::uint16_t id = 0;
  std::string data;
};
struct SyncLogRequest {  // AddSyncLogEntry
  std::string text;
};
enum class EndOfSyncCode : std::uint16_t { Normal = 0, OutOfMemory = 1, UserCancel = 2, Other = 3, Incompatible = 4 };
struct EndOfSyncRequest {
  EndOfSyncCode code = EndOfSyncCode::Normal;
};
struct DbListRequest {  // ReadDBList
  std::uint8_t flags = 0x80 | 0x20;  // RAM, as many as fit
  std::uint8_t card = 0;
  std::uint16_t start = 0;
};
struct DbInfo {
  std::uint8_t miscFlags = 0;
  std::uint16_t attributes = 0, version = 0, index = 0;
  std::string type, creator;
  std::uint32_t modificationNumber = 0;
  DlpDateTime created, modified, backedUp;
  std::string name;
};
struct DbList {
  std::uint16_t lastIndex = 0;
  bool more = false;
  std::vector<DbInfo> databases;
};

DlpRequest ToRequest(const SysInfoRequest& r);
DlpRequest ToRequest(const WriteUserInfoRequest& r);
DlpRequest ToRequest(const DeleteDbRequest& r);
DlpRequest ToRequest(const CreateDbRequest& r);
DlpRequest ToRequest(const CloseDbRequest& r);
DlpRequest ToRequest(DlpFunc appOrSortBlock, const WriteBlockRequest& r);
DlpRequest ToRequest(const WriteRecordRequest& r);
DlpRequest ToRequest(const WriteResourceRequest& r);
DlpRequest ToRequest(const SyncLogRequest& r);
DlpRequest ToRequest(const EndOfSyncRequest& r);
DlpRequest ToRequest(const DbListRequest& r);
// A call without arguments (ReadUserInfo, OpenConduit, ResetSystem).
DlpRequest ToRequest(DlpFunc func);

HsStatus Parse(const DlpRequest& in, SysInfoRequest& out);
HsStatus Parse(const DlpRequest& in, WriteUserInfoRequest& out);
HsStatus Parse(const DlpRequest& in, DeleteDbRequest& out);
HsStatus Parse(const DlpRequest& in, CreateDbRequest& out);
HsStatus Parse(const DlpRequest& in, CloseDbRequest& out);
HsStatus Parse(const DlpRequest& in, WriteBlockRequest& out);
HsStatus Parse(const DlpRequest& in, WriteRecordRequest& out);
HsStatus Parse(const DlpRequest& in, WriteResourceRequest& out);
HsStatus Parse(const DlpRequest& in, SyncLogRequest& out);
HsStatus Parse(const DlpRequest& in, EndOfSyncRequest& out);
HsStatus Parse(const DlpRequest& in, DbListRequest& out);

DlpResponse ToResponse(const SysInfo& a);
DlpResponse ToResponse(const UserInfo& a);
DlpResponse ToResponse(const DbHandle& a);
DlpResponse ToResponse(const RecordIdAnswer& a);
DlpResponse ToResponse(const DbList& a);
// An answer without arguments, or an error answer (which has none).
DlpResponse ToResponse(std::uint8_t func, int error = kDlpNone);

HsStatus Parse(const DlpResponse& in, SysInfo& out);
HsStatus Parse(const DlpResponse& in, UserInfo& out);
HsStatus Parse(const DlpResponse& in, DbHandle& out);
HsStatus Parse(const DlpResponse& in, RecordIdAnswer& out);
HsStatus Parse(const DlpResponse& in, DbList& out);

}  // namespace kestrel::hotsync

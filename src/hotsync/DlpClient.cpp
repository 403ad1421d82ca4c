#include "hotsync/DlpClient.h"

namespace kestrel::hotsync {

namespace {

// A typed answer out of a call's response.
template <class Answer>
HsResult<Answer> Typed(HsResult<DlpResponse> response) {
  if (!response) return response.error();
  Answer out;
  if (auto s = Parse(*response, out); !s) return s.error();
  return out;
}

}  // namespace

HsResult<DlpResponse> DlpClient::call(const DlpRequest& request) {
  auto raw = transport_.exchange(EncodeDlpRequest(request));
  std::string name = DlpFuncName(request.func);
  if (!raw) {
    HotSyncError e = raw.error();
    e.call = name;
    return e;
  }
  auto response = DecodeDlpResponseTo(*raw, request.func);
  if (!response) return response.error();
  if (response->error != kDlpNone) return MakeError(name, response->error, DlpErrorText(response->error));
  return response;
}

HsStatus DlpClient::callNoAnswer(const DlpRequest& request) {
  auto r = call(request);
  if (!r) return r.error();
  return {};
}

HsResult<SysInfo> DlpClient::readSysInfo(const SysInfoRequest& host) {
  auto info = Typed<SysInfo>(call(ToRequest(host)));
  if (info && info->maxRecordSize != 0) maxRecordSize_ = info->maxRecordSize;
  return info;
}

HsResult<UserInfo> DlpClient::readUserInfo() {
  return Typed<UserInfo>(call(ToRequest(DlpFunc::ReadUserInfo)));
}

HsStatus DlpClient::writeUserInfo(const WriteUserInfoRequest& request) {
  return callNoAnswer(ToRequest(request));
}

HsStatus DlpClient::openConduit() { return callNoAnswer(ToRequest(DlpFunc::OpenConduit)); }

HsStatus DlpClient::deleteDb(const DeleteDbRequest& request) { return callNoAnswer(ToRequest(request)); }

HsResult<std::uint8_t> DlpClient::createDb(const CreateDbRequest& request) {
  auto handle = Typed<DbHandle>(call(ToRequest(request)));
  if (!handle) return handle.error();
  return handle->handle;
}

HsStatus DlpClient::writeAppBlock(const WriteBlockRequest& request) {
  return callNoAnswer(ToRequest(DlpFunc::WriteAppBlock, request));
}

HsStatus DlpClient::writeSortBlock(const WriteBlockRequest& request) {
  return callNoAnswer(ToRequest(DlpFunc::WriteSortBlock, request));
}

HsResult<std::uint32_t> DlpClient::writeRecord(const WriteRecordRequest& request) {
  auto id = Typed<RecordIdAnswer>(call(ToRequest(request)));
  if (!id) return id.error();
  return id->recordId;
}

HsStatus DlpClient::writeResource(const WriteResourceRequest& request) {
  return callNoAnswer(ToRequest(request));
}

HsStatus DlpClient::closeDb(std::uint8_t handle) { return callNoAnswer(ToRequest(CloseDbRequest{false, handle})); }

HsStatus DlpClient::closeAllDbs() { return callNoAnswer(ToRequest(CloseDbRequest{true, 0})); }

HsStatus DlpClient::resetSystem() { return callNoAnswer(ToRequest(DlpFunc::ResetSystem)); }

HsStatus DlpClient::addSyncLogEntry(std::string_view text) {
  return callNoAnswer(ToRequest(SyncLogRequest{std::string(text)}));
}

HsStatus DlpClient::endOfSync(EndOfSyncCode code) { return callNoAnswer(ToRequest(EndOfSyncRequest{code})); }

HsResult<DbList> DlpClient::readDbList(const DbListRequest& request) {
  return Typed<DbList>(call(ToRequest(request)));
}

}  // namespace kestrel::hotsync

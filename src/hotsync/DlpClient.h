// The desktop's DLP calls over any transport, one method per call. An error
// names the call and carries the handheld's code (or a transport code).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "hotsync/Dlp.h"
#include "hotsync/DlpTransport.h"

namespace kestrel::hotsync {

class DlpClient {
 public:
  explicit DlpClient(DlpTransport& transport) : transport_(transport) {}

  // Also remembers the answer (see maxRecordSize()).
  HsResult<SysInfo> readSysInfo(const SysInfoRequest& host = {});
  HsResult<UserInfo> readUserInfo();
  HsStatus writeUserInfo(const WriteUserInfoRequest& request);
  HsStatus openConduit();
  HsStatus deleteDb(const DeleteDbRequest& request);
  HsResult<std::uint8_t> createDb(const CreateDbRequest& request);
  HsStatus writeAppBlock(const WriteBlockRequest& request);
  HsStatus writeSortBlock(const WriteBlockRequest& request);
  HsResult<std::uint32_t> writeRecord(const WriteRecordRequest& request);
  HsStatus writeResource(const WriteResourceRequest& request);
  HsStatus closeDb(std::uint8_t handle);
  HsStatus closeAllDbs();
  HsStatus resetSystem();
  HsStatus addSyncLogEntry(std::string_view text);
  HsStatus endOfSync(EndOfSyncCode code = EndOfSyncCode::Normal);
  HsResult<DbList> readDbList(const DbListRequest& request = {});

  // Any call: the answer to `request`, or an error naming the call. A
  // non-zero error code from the handheld is an error too.
  HsResult<DlpResponse> call(const DlpRequest& request);

  // The largest record the handheld takes: from ReadSysInfo's answer, else
  // the 64 KiB of a device that does not tell (less the argument header).
  std::uint32_t maxRecordSize() const { return maxRecordSize_; }

 private:
  HsStatus callNoAnswer(const DlpRequest& request);
  DlpTransport& transport_;
  std::uint32_t maxRecordSize_ = 0xFFFF - 10;
};

}  // namespace kestrel::hotsync

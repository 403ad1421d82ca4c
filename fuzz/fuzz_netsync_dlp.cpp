// Everything a handheld (or a desktop, for the fake handheld) sends: NetSync
// frames, and in them DLP answers and requests of every call an install uses.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "hotsync/Dlp.h"
#include "hotsync/NetSync.h"

using namespace kestrel::hotsync;

namespace {

template <class... Answers>
void ParseAnswers(const DlpResponse& r) {
  (..., [&] { Answers a; (void)Parse(r, a); }());
}

template <class... Requests>
void ParseRequests(const DlpRequest& r) {
  (..., [&] { Requests a; (void)Parse(r, a); }());
}

void Payload(std::string_view payload) {
  if (auto r = DecodeDlpResponseTo(payload, payload.empty() ? 0 : payload[0] & 0x7F))
    ParseAnswers<SysInfo, UserInfo, DbHandle, RecordIdAnswer, DbList>(*r);
  if (auto r = DecodeDlpRequest(payload))
    ParseRequests<SysInfoRequest, DeleteDbRequest, CreateDbRequest, CloseDbRequest, WriteBlockRequest,
                  WriteRecordRequest, WriteResourceRequest, SyncLogRequest, EndOfSyncRequest,
                  DbListRequest>(*r);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto [in, out] = MakeMemoryPipe();
  (void)in->writeAll(bytes);
  in->close();
  while (auto frame = ReadNetSyncFrame(*out, Millis(0))) Payload(frame->payload);
  Payload(bytes);
  return 0;
}

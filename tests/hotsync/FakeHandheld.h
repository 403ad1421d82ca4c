// The protocol tests' fixtures. A handheld: it decodes every request it is sent,
// keeps it, and answers with what the test's `answer` gives (by default an
// empty success, handles and record ids as a device hands them out).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "hotsync/Dlp.h"
#include "hotsync/DlpTransport.h"
#include "hotsync/PalmDatabase.h"

namespace kestrel::test {

inline std::string Hex(std::string_view hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    if (hex[i] == ' ') { --i; continue; }
    out.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return out;
}

// Everything the other end has written so far: reads until `quiet` passes
// without a byte.
inline std::string Drain(hotsync::ByteStream& s, hotsync::Millis quiet = hotsync::Millis(50)) {
  std::string out;
  char buffer[4096];
  while (auto n = s.readSome(buffer, sizeof buffer, quiet)) out.append(buffer, *n);
  return out;
}

class FakeHandheld : public hotsync::DlpTransport {
 public:
  std::vector<std::string> raw;               // every request payload as sent
  std::vector<hotsync::DlpRequest> requests;  // the same, decoded
  // Return a response, or leave `error` 0 and no args for "ok".
  std::function<hotsync::DlpResponse(const hotsync::DlpRequest&)> answer;

  hotsync::HsResult<std::string> exchange(std::string_view request) override {
    raw.emplace_back(request);
    auto decoded = hotsync::DecodeDlpRequest(request);
    if (!decoded) return decoded.error();
    requests.push_back(*decoded);
    if (answer) return hotsync::EncodeDlpResponse(answer(*decoded));
    return hotsync::EncodeDlpResponse(Default(*decoded));
  }
  void setTimeout(hotsync::Millis) override {}

  // The calls in order, by name.
  std::vector<std::string> calls() const {
    std::vector<std::string> out;
    for (const auto& r : requests) out.push_back(hotsync::DlpFuncName(r.func));
    return out;
  }

  hotsync::DlpResponse Default(const hotsync::DlpRequest& r) {
    using hotsync::DlpFunc;
    switch (static_cast<DlpFunc>(r.func)) {
      case DlpFunc::CreateDB: return hotsync::ToResponse(hotsync::DbHandle{++handles_});
      case DlpFunc::WriteRecord: {
        hotsync::WriteRecordRequest w;
        (void)hotsync::Parse(r, w);
        return hotsync::ToResponse(hotsync::RecordIdAnswer{w.recordId ? w.recordId : 0x900000});
      }
      default: return hotsync::ToResponse(r.func);
    }
  }

 private:
  std::uint8_t handles_ = 0;
};

// The first record of the recorded OnBoardHeader.h install, and SrcEdit's
// version resource.
inline hotsync::PalmDatabase OnBoardHeader() {
  hotsync::PalmDatabase db;
  db.name = "OnBoardHeader.h";
  db.type = "TEXt";
  db.creator = "REAd";
  db.records = {{0x40, 0x6F8000, Hex("000200000000becd000c100000000000")}, {0x40, 0x6F8001, "second"}};
  return db;
}

inline hotsync::PalmDatabase SrcEdit() {
  hotsync::PalmDatabase db;
  db.name = "SrcEdit";
  db.attributes = hotsync::kAttrResourceDb;
  db.version = 1;
  db.type = "appl";
  db.creator = "LedX";
  db.resources = {{"MBAR", 1000, "menu"}, {"tver", 1000, std::string("2.5.1\0", 6)}};
  return db;
}

}  // namespace kestrel::test

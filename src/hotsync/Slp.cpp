#include "hotsync/Slp.h"

#include <optional>

#include "hotsync/Bytes.h"

namespace kestrel::hotsync {

std::uint16_t SlpCrc16(std::string_view bytes, std::uint16_t crc) {
  for (char c : bytes) {
    crc ^= static_cast<std::uint16_t>(static_cast<unsigned char>(c) << 8);
    for (int bit = 0; bit < 8; ++bit)
      crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
  }
  return crc;
}

std::string EncodeSlpFrame(std::uint8_t type, std::uint8_t xid, std::string_view payload) {
  ByteWriter w;
  w.reserve(kSlpHeaderSize + payload.size() + 2);
  w.bytes(kSlpSignature).u8(kSlpDlpSocket).u8(kSlpDlpSocket).u8(type);
  w.u16(static_cast<std::uint32_t>(payload.size())).u8(xid);
  unsigned sum = 0;
  for (char c : w.str()) sum += static_cast<unsigned char>(c);
  w.u8(sum & 0xFF).bytes(payload);
  w.u16(SlpCrc16(w.str()));
  return w.take();
}

std::optional<SlpFrame> SlpReader::take() {
  for (;;) {
    std::size_t at = buffer_.find(kSlpSignature);
    if (at == std::string::npos) {
      // Keep a possible signature's start for the next read.
      std::size_t keep = std::min<std::size_t>(buffer_.size(), kSlpSignature.size() - 1);
      buffer_.erase(0, buffer_.size() - keep);
      return std::nullopt;
    }
    buffer_.erase(0, at);
    if (buffer_.size() < kSlpHeaderSize) return std::nullopt;
    unsigned sum = 0;
    for (std::size_t i = 0; i < kSlpHeaderSize - 1; ++i) sum += static_cast<unsigned char>(buffer_[i]);
    if ((sum & 0xFF) != static_cast<unsigned char>(buffer_[kSlpHeaderSize - 1])) {
      // Not a header after all: look for the next signature.
      ++rejected_;
      buffer_.erase(0, 1);
      continue;
    }
    ByteReader h(std::string_view(buffer_).substr(3, 6));
    std::uint8_t dest = h.u8();
    h.u8();
    SlpFrame frame;
    frame.type = h.u8();
    std::size_t length = h.u16();
    frame.xid = h.u8();
    if (length > kSlpMaxPayload) {
      ++rejected_;
      buffer_.erase(0, 1);
      continue;
    }
    std::size_t whole = kSlpHeaderSize + length + 2;
    if (buffer_.size() < whole) return std::nullopt;
    ByteReader crc(std::string_view(buffer_).substr(kSlpHeaderSize + length, 2));
    if (SlpCrc16(std::string_view(buffer_).substr(0, kSlpHeaderSize + length)) != crc.u16()) {
      ++rejected_;
      buffer_.erase(0, 1);
      continue;
    }
    frame.payload = buffer_.substr(kSlpHeaderSize, length);
    buffer_.erase(0, whole);
    if (frame.type != kSlpTypePadp || dest != kSlpDlpSocket) continue;
    return frame;
  }
}

HsResult<SlpFrame> SlpReader::read(Deadline deadline) {
  for (;;) {
    if (auto frame = take()) return std::move(*frame);
    auto left = std::chrono::duration_cast<Millis>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return MakeError("SLP read", kErrTimeout, "no answer within the time allowed");
    char chunk[4096];
    auto n = stream_.readSome(chunk, sizeof chunk, left);
    if (!n) return n.error();
    buffer_.append(chunk, *n);
  }
}

}  // namespace kestrel::hotsync

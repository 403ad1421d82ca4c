// Any bytes through every guess, conversion, decoder and encoder of the code
// conversion: no crash, no read past the end, and the encoders round-trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "viewer/Jconvert.h"
#include "viewer/JconvertStream.h"

using namespace kestrel;

namespace {

void Expect(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // libFuzzer's buffer is exactly `size` long, so ASan catches any overread.
  const std::string_view s(reinterpret_cast<const char*>(data), size);

  const JCode guessed = InCodeCheck(s);
  Expect(guessed >= CODE_ASCII && guessed <= CODE_EUC_OR_SJIS);
  for (int target : {CODE_JIS_NEW, CODE_JIS_OLD, CODE_EUC, CODE_SJIS}) {
    ConvertJCode(s, target);
    for (int source = CODE_ASCII; source <= CODE_EUC_OR_SJIS; ++source) {
      StrictConvertJCode(s, source, target);
    }
  }
  if (size >= 2) {
    ToSjis(data[0], data[1]);
    ToJis(data[0], data[1]);
  }

  Expect(ReturnCodeCheck(s) <= LINE_END_LF);
  for (int target : {LINE_END_CRLF, LINE_END_CR, LINE_END_LF}) {
    ConvertReturnCode(s, target);
    for (int source = LINE_END_NONE; source <= LINE_END_LF; ++source) {
      StrictConvertReturnCode(s, source, target);
    }
  }

  DecodeBase64(s);
  DecodeUU(s);
  DecodeBinHex(s);
  Expect(DecodeBase64(EncodeBase64(s)) == s);
  Expect(DecodeBase64(EncodeBase64R(s, "\r\n")) == s);
  Expect(DecodeUU(EncodeUU(s, "\n")) == s);
  Expect(DecodeBinHex(EncodeBinHex(s, "\r\n")) == s);

  // Fed in two blocks cut where the first byte says, the same as whole.
  const std::size_t cut = size == 0 ? 0 : data[0] % (size + 1);
  auto fed = [&](auto& converter) {
    std::string out;
    converter.Feed(s.substr(0, cut), out);
    converter.Feed(s.substr(cut), out);
    converter.Finish(out);
    return out;
  };
  JcodeGuesser guesser;
  guesser.Feed(s.substr(0, cut));
  guesser.Feed(s.substr(cut));
  Expect(guesser.Finish() == guessed);
  for (int target : {CODE_JIS_NEW, CODE_EUC, CODE_SJIS}) {
    AutoJcodeConverter automatic(target, 16);
    Expect(fed(automatic) == ConvertJCode(s, target));
    JcodeConverter strict(CODE_JIS_NEW + static_cast<int>(cut % 4), target);
    Expect(fed(strict) == StrictConvertJCode(s, CODE_JIS_NEW + static_cast<int>(cut % 4), target));
  }
  LineEndConverter lines(LINE_END_CRLF);
  Expect(fed(lines) == ConvertReturnCode(s, LINE_END_CRLF));
  Base64Decoder b64;
  Expect(fed(b64) == DecodeBase64(s));
  UUDecoder uu;
  Expect(fed(uu) == DecodeUU(s));
  BinHexDecoder binhex;
  Expect(fed(binhex) == DecodeBinHex(s));
  Base64Encoder b64r("\r\n", true);
  Expect(fed(b64r) == EncodeBase64R(s, "\r\n"));

  DecodeHeaderString(CreateHeaderString(s));
  DecodeHeaderString(s);
  return 0;
}

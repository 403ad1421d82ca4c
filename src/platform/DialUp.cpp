#include "platform/DialUp.h"

#include "platform/TranslateMark.h"

namespace kestrel {

std::string DialUp::GetErrorString(int code) {
  switch (code) {
    case kDialAlreadyConnected: return QT_TRANSLATE_NOOP("Kestrel", "既に接続されています");
    case kDialErrorUnknownEntry: return QT_TRANSLATE_NOOP("Kestrel", "接続先が見つかりません");
    case kDialErrorTimeout: return QT_TRANSLATE_NOOP("Kestrel", "接続がタイムアウトしました");
    case kDialErrorFailed: return QT_TRANSLATE_NOOP("Kestrel", "接続に失敗しました");
    case kDialErrorNoService: return QT_TRANSLATE_NOOP("Kestrel", "ダイアルアップ接続のサービスを使えません");
    default: return FillIn(kDialErrorNumbered, std::to_string(code));
  }
}

}  // namespace kestrel

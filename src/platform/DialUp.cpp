#include "platform/DialUp.h"

namespace kestrel {

std::string DialUp::GetErrorString(int code) {
  switch (code) {
    case kDialAlreadyConnected: return "既に接続されています";
    case kDialErrorUnknownEntry: return "接続先が見つかりません";
    case kDialErrorTimeout: return "接続がタイムアウトしました";
    case kDialErrorFailed: return "接続に失敗しました";
    case kDialErrorNoService: return "ダイアルアップ接続のサービスを使えません";
    default: return "ダイアルアップ接続のエラー(" + std::to_string(code) + ")";
  }
}

}  // namespace kestrel

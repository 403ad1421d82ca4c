// The entry of the HTTP module: the program loads Qt Network only when it
// first fetches (see LazyHttpClient.cpp).
#include "applist/net/QtHttpClient.h"

extern "C" __attribute__((visibility("default"))) kestrel::HttpClient* KestrelNewHttpClient() {
  return new kestrel::QtHttpClient();
}

// kestrel-tool-fetch: `kestrel-tool applist fetch` in a program of its own,
// so that the other verbs start without loading Qt and the network stack.
// Called by kestrel-tool as: kestrel-tool-fetch NAME [URL]
#include <QCoreApplication>
#include <cstdio>
#include <exception>
#include <memory>

#include "FetchRun.h"
#include "applist/net/QtHttpClient.h"
#include "platform/DialUp.h"
#include "platform/Registry.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fputs("usage: kestrel-tool-fetch NAME [URL]   (run by kestrel-tool applist fetch)\n", stderr);
    return 2;
  }
  // The HTTP client's transfer runs in an event loop.
  int qtArgc = 1;
  QCoreApplication app(qtArgc, argv);
  try {
    std::unique_ptr<kestrel::HttpClient> http = std::make_unique<kestrel::QtHttpClient>();
    return kestrel::tool::RunAppListFetch(argv[1], argc == 3 ? argv[2] : "", *http, kestrel::TheDialUp());
  } catch (const kestrel::RegistryError& e) {
    std::fprintf(stderr, "kestrel-tool: %s\n", e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrel-tool: %s\n", e.what());
  }
  return 2;
}

// An HttpClient that loads the Qt Network one from the HTTP module when it
// is first used: the window starts without Qt Network and the dozen
// libraries it brings, which only a fetch needs.
#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "applist/net/HttpModule.h"
#include "platform/Home.h"

namespace kestrel {
namespace {

constexpr const char* kModuleName = "kestrel-http.so";

class LazyHttpClient : public HttpClient {
 public:
  void Get(const std::string& url) override {
    HttpClient& real = Real();
    // The settings live in the base of each client: hand them on.
    real.setProxy(proxy());
    real.setProxyPort(proxyPort());
    real.setBodyLimit(bodyLimit());
    real.setSilenceLimitMs(silenceLimitMs());
    real.setEvents(events_);
    real.Get(url);
  }
  void Abort() override {
    if (real_) real_->Abort();
  }
  bool inProgress() const override { return real_ && real_->inProgress(); }
  const std::string& body() const override { return real_ ? real_->body() : empty_; }
  std::int64_t bytesReceived() const override { return real_ ? real_->bytesReceived() : 0; }
  std::int64_t bytesTotal() const override { return real_ ? real_->bytesTotal() : 0; }

 private:
  HttpClient& Real() {
    if (real_) return *real_;
    std::string path = HttpModulePath();
    if (path.empty()) throw HttpError(std::string("the HTTP module ") + kModuleName + " is not installed");
    // Never unloaded: the client's code must outlive every object of it.
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) throw HttpError("the HTTP module cannot be loaded: " + std::string(dlerror()));
    using Factory = HttpClient* (*)();
    auto make = reinterpret_cast<Factory>(dlsym(module, "KestrelNewHttpClient"));
    if (!make) throw HttpError("the HTTP module " + path + " has no client");
    real_.reset(make());
    return *real_;
  }

  std::unique_ptr<HttpClient> real_;
  std::string empty_;
};

}  // namespace

std::string HttpModulePath() {
  std::string bin = ProgramBinFolder();
  std::vector<std::filesystem::path> candidates;
  if (!bin.empty()) candidates.push_back(std::filesystem::path(bin) / ".." / KESTREL_MODULE_SUBDIR / kModuleName);
  candidates.push_back(std::filesystem::path(KESTREL_MODULE_DIR) / kModuleName);
  for (const auto& candidate : candidates) {
    if (access(candidate.c_str(), R_OK) == 0) return candidate.lexically_normal().string();
  }
  return "";
}

std::unique_ptr<HttpClient> MakeHttpClient() { return std::make_unique<LazyHttpClient>(); }

}  // namespace kestrel

// Where the program finds its HTTP module, and the client it hands out.
#pragma once

#include <memory>
#include <string>

#include "applist/HttpClient.h"

namespace kestrel {

// The module file: beside the running program (<bin>/../<libdir>/kestrel-plus,
// in a build tree as installed), else in the configured install prefix.
// Empty when none exists.
std::string HttpModulePath();

// The client the program uses (needs a QCoreApplication when Get runs). Qt
// Network is loaded with it at the first Get; when the module cannot be
// loaded, that Get throws HttpError saying why.
std::unique_ptr<HttpClient> MakeHttpClient();

}  // namespace kestrel

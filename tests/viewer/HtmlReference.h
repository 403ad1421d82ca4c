// The HTML rendering of earlier versions, as a reference for the tests.
#pragma once

#include <string>
#include <string_view>

namespace kestrel::reference {

std::string RenderHtmlText(std::string_view html, int wrapWidth);

}  // namespace kestrel::reference

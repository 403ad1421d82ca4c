// The checks the configuration dialog runs before it accepts OK, shared
// with kestrel-tool's config verb.
#pragma once

#include <optional>
#include <string>

namespace kestrel {

// The two user-defined width-conversion sets (UTF-8 texts, measured in code
// page 932 bytes): both sides of a set the same size (set 1, then set 2),
// then every side an even size. The message of the first failing check, or
// nullopt when both sets pass.
std::optional<std::string> CheckUserDefinedSets(const std::string& han1, const std::string& zen1,
                                                const std::string& han2, const std::string& zen2);

}  // namespace kestrel

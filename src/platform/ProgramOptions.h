// The options every program of the project understands alike: --help
// prints the usage to standard output, --version the program's name and
// the project's version; an unknown option prints the usage to standard
// error. Exit codes: 0 after --help and --version, 2 after a bad option.
#pragma once

#include <optional>
#include <string>

namespace kestrel {

inline constexpr int kExitUsage = 2;

// Answers the exit code when `arg` is --help (or -h) or --version, after
// printing what it asks for; nullopt for any other argument.
std::optional<int> AnswerStandardOption(const std::string& arg, const std::string& program,
                                        const std::string& usage);

// "<program> <version>" on standard output.
void PrintVersion(const std::string& program);

// "<program>: unknown option X" and the usage on standard error; answers 2.
int RejectOption(const std::string& arg, const std::string& program, const std::string& usage);

// Whether an argument looks like an option: "-" followed by anything.
bool IsOption(const std::string& arg);

}  // namespace kestrel

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Process.h"

extern char** environ;

namespace kestrel {

std::vector<std::string> SplitCommandLine(const std::string& line, const std::vector<bool>* literal) {
  // A literal byte is only ever a byte of the word it stands in.
  auto plain = [&](std::size_t i) { return !literal || !(*literal)[i]; };
  auto syntax = [&](std::size_t i, char c) { return line[i] == c && plain(i); };
  std::vector<std::string> words;
  std::size_t i = 0, n = line.size();
  while (i < n) {
    while (i < n && (syntax(i, ' ') || syntax(i, '\t'))) ++i;
    if (i >= n) break;
    std::string word;
    bool quoted = false;
    while (i < n) {
      char c = line[i];
      if (!plain(i)) {
        word += c;
        ++i;
        continue;
      }
      if (!quoted && (c == ' ' || c == '\t')) break;
      if (c == '\\') {
        std::size_t slashes = 0;
        while (i < n && syntax(i, '\\')) {
          ++slashes;
          ++i;
        }
        if (i < n && syntax(i, '"')) {
          word.append(slashes / 2, '\\');
          if (slashes % 2) {
            word += '"';
            ++i;
          }
        } else {
          word.append(slashes, '\\');
        }
        continue;
      }
      if (c == '"') {
        if (quoted && i + 1 < n && syntax(i + 1, '"')) {
          word += '"';
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      word += c;
      ++i;
    }
    words.push_back(word);
  }
  return words;
}

std::string QuoteArgument(const std::string& word) {
  if (!word.empty() && word.find_first_of(" \t\"") == std::string::npos) return word;
  std::string out = "\"";
  std::size_t slashes = 0;
  for (char c : word) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    if (c == '"') {
      out.append(slashes * 2 + 1, '\\');
      out += '"';
    } else {
      out.append(slashes, '\\');
      out += c;
    }
    slashes = 0;
  }
  out.append(slashes * 2, '\\');
  return out + "\"";
}

ProcessResult RunAndWait(const std::string& commandLine, const std::string& workDir,
                         bool /*showWindow*/) {
  ProcessResult result;
  std::vector<std::string> words = SplitCommandLine(commandLine);
  if (words.empty() || words[0].empty()) {
    result.error = std::strerror(ENOENT);
    return result;
  }
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!workDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
  pid_t pid = 0;
  // A bare name is looked up on PATH, as Windows looks beside and on PATH.
  int rc = words[0].find('/') == std::string::npos
               ? posix_spawnp(&pid, words[0].c_str(), &actions, nullptr, argv.data(), environ)
               : posix_spawn(&pid, words[0].c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    result.error = std::strerror(rc);
    return result;
  }
  result.started = true;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace kestrel

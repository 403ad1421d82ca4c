#include "main/CommandLine.h"
#include "main/KestrelPlus.h"

int main(int argc, char** argv) {
  kestrel::CommandLine line(argc, argv);
  if (line.exitCode()) return *line.exitCode();
  return kestrel::RunKestrelPlus(line.argc(), line.argv());
}

// quorvel-probe: the header probe for scripts. One line per path, in the order given:
// the bitness, a tab, the path exactly as given.
#include <cstdio>

#include "probe.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::printf("%d\t%s\n", static_cast<int>(quorvel::GetProgramBitness(argv[i])), argv[i]);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

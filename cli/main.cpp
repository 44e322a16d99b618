// quorvel-probe: the header probe for scripts. Everything but the wiring of the process's
// streams lives in the quorvel_cli library (cli.h), where the tests reach it.
#include <cstdio>

#include "cli.h"
#include "std_streams.h"

int main(int argc, char** argv) {
  quorvel::cli::PrepareStandardStreams();
  quorvel::cli::FileSource in(stdin);
  quorvel::cli::FileSink out(stdout);
  quorvel::cli::FileSink err(stderr);
  return quorvel::cli::Main(argc, argv, quorvel::probe::SystemFileAccess(), {in, out, err});
}

#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "cli/cli_app.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  return quillora::cli::RunCli(args, std::cin, std::cout, std::cerr, isatty(0) && isatty(2));
}

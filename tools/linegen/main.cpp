// linegen: the command-line tool of the library. Everything but the process
// boundary lives in the linegen_cli library, where the tests reach it.
#include <iostream>
#include <string>
#include <vector>

#include "cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return linegen_tool::run_cli(args, std::cout, std::cerr, true);
}

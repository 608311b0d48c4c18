// The libFuzzer harness of every exported call: the input's bytes choose a
// call of the family named by LINEGEN_FUZZ_FAMILY (of any family when unset)
// and its arguments, and the call must keep its catalogue contract.
#include <cstdio>
#include <cstdlib>

#include "catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string why = catalogue::run_bytes(std::getenv("LINEGEN_FUZZ_FAMILY"), data, size);
  if (!why.empty()) {
    std::fprintf(stderr, "contract broken: %s\n", why.c_str());
    std::abort();
  }
  return 0;
}

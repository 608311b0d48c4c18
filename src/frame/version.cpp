#include <linegen/linegen.h>

#include "linegen_version.h"

namespace zarn {
namespace linegen {

char const* version() {
  static constexpr char text[] = LINEGEN_VERSION_STRING;  // constant data: one pointer for every call
  return text;
}

}  // namespace linegen
}  // namespace zarn

#if defined(_WIN32)
#include <windows.h>
// The loader's entry: nothing to set up or tear down.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#endif

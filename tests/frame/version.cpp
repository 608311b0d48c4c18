// The version query.
#include <test_support.h>

#include <cstring>

#include "linegen_version.h"

TEST(Version, ConstantStringSamePointer) {
  const char* v = zarn::linegen::version();
  ASSERT_NE(v, nullptr);
  EXPECT_STREQ(v, LINEGEN_VERSION_STRING);
  EXPECT_EQ(zarn::linegen::version(), v);
}

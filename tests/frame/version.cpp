// The version query.
#include <test_support.h>

#include <cstring>

TEST(Version, ConstantStringSamePointer) {
  const char* v = zarn::linegen::version();
  ASSERT_NE(v, nullptr);
  EXPECT_STREQ(v, "4.9.0.0");
  EXPECT_EQ(zarn::linegen::version(), v);
}

#include <gtest/gtest.h>

#include "base/win32/resource_bytes.h"

TEST(Smoke, FindsTheFormResource) {
  EXPECT_FALSE(board::ResourceBytes(L"FORM_52010001").empty());
}

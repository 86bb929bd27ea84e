#include <gtest/gtest.h>
#include <windows.h>
TEST(Smoke, FindsTheFormResource) {
  EXPECT_NE(FindResourceW(nullptr, L"FORM_52010001", MAKEINTRESOURCEW(10)), nullptr);
}

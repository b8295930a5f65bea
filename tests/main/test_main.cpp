// The entry of every test program. Standard output is unbuffered so that a program that dies
// (a crash, an abort under Wine) still shows which test was running: with a pipe as output,
// the C runtime would otherwise keep GoogleTest's lines in a buffer that dies with it.
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include <gtest/gtest.h>
#include <ole2.h>

// The control lives in a single-threaded apartment, as it does on a host's UI thread.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  OleInitialize(nullptr);
  int rc = RUN_ALL_TESTS();
  OleUninitialize();
  return rc;
}

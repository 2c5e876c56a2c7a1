#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "core/host/uScreenshotNames.h"

using namespace emberdell;

TEST(ScreenshotNames, SixDigitsAtLeast) {
  EXPECT_EQ(ScreenshotFileName(1), "000001");
  EXPECT_EQ(ScreenshotFileName(0), "000000");
  EXPECT_EQ(ScreenshotFileName(42), "000042");
  EXPECT_EQ(ScreenshotFileName(999999), "999999");
  EXPECT_EQ(ScreenshotFileName(1234567), "1234567");
  EXPECT_EQ(ScreenshotFileName(-4), "-000004");
  EXPECT_EQ(ScreenshotFileName(INT64_MIN), "-9223372036854775808");
}

TEST(ScreenshotNames, FolderAndFullNames) {
  EXPECT_EQ(ScreenshotDirFor(""), "");
  const std::string Dir = ScreenshotDirFor("C:\\Users\\me\\Documents");
  EXPECT_EQ(Dir, "C:\\Users\\me\\Documents\\Emberdell Screenshots");
  EXPECT_EQ(ScreenshotFullName(Dir, 1), "C:\\Users\\me\\Documents\\Emberdell Screenshots\\000001.bmp");
}

TEST(ScreenshotNames, NextNameAdvancesTheCounter) {
  int32_t Last = 0;
  EXPECT_EQ(NextScreenshotName("D:\\S", Last), "D:\\S\\000001.bmp");
  EXPECT_EQ(NextScreenshotName("D:\\S", Last), "D:\\S\\000002.bmp");
  EXPECT_EQ(Last, 2);

  Last = INT32_MAX;  // a counter edited to its limit wraps instead of overflowing
  EXPECT_EQ(NextScreenshotName("D:\\S", Last), "D:\\S\\-2147483648.bmp");
  EXPECT_EQ(Last, INT32_MIN);
}

TEST(ScreenshotNames, NextNameSkipsEveryFileAlreadyThere) {
  // The counter is behind the folder: 1, 2 and 4 are the user's pictures.
  const std::set<std::string> Folder{"D:\\S\\000001.bmp", "D:\\S\\000002.bmp", "D:\\S\\000004.bmp"};
  const auto Exists = [&](const std::string& Name) { return Folder.count(Name) != 0; };
  int32_t Last = 0;
  EXPECT_EQ(NextScreenshotName("D:\\S", Last, Exists), "D:\\S\\000003.bmp");
  EXPECT_EQ(Last, 3);
  EXPECT_EQ(NextScreenshotName("D:\\S", Last, Exists), "D:\\S\\000005.bmp");
  EXPECT_EQ(Last, 5);

  // A folder with no free name in reach: no name, and the counter stays.
  Last = 7;
  EXPECT_EQ(NextScreenshotName("D:\\S", Last, [](const std::string&) { return true; }), "");
  EXPECT_EQ(Last, 7);
}

TEST(ScreenshotNames, TheStoredCounterGivesBackNumbersWhoseFilesFailed) {
  const struct {
    std::vector<int32_t> Failed;  // of 5, 6 and 7 taken in that order
    int32_t Stored;
  } Cases[] = {{{}, 7}, {{6}, 7}, {{7}, 6}, {{6, 7}, 5}, {{5, 6, 7}, 4}};
  for (const auto& c : Cases) {
    TScreenshotLedger Ledger(4);
    for (int32_t n : {5, 6, 7}) Ledger.Taken(n);
    // 7 is still being written unless it failed: it counts.
    for (int32_t n : c.Failed) Ledger.Finished(n, false);
    Ledger.Finished(5, true);
    EXPECT_EQ(Ledger.NumberToStore(), c.Stored) << c.Failed.size();
  }
  // A counter that wrapped is still later than the numbers before it.
  TScreenshotLedger Wrapped(INT32_MAX - 1);
  Wrapped.Taken(INT32_MAX);
  Wrapped.Taken(INT32_MIN);
  EXPECT_EQ(Wrapped.NumberToStore(), INT32_MIN);
  EXPECT_EQ(TScreenshotLedger(9).NumberToStore(), 9);
}

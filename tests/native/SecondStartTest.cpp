// A start that finds another Wandrel's claim: it waits for that one's window or its end, and
// no longer than its patience, on a clock of the test's own.
#include <gtest/gtest.h>

#include <cstdint>

#include "core/SecondStart.h"

namespace {

// The other instance on a timeline: its window is shown from showsAt on, its claim is let go
// at releasesAt. Waiting for the claim takes the whole wait unless the claim comes free in it.
class OtherInstance : public core::InstanceProbe {
 public:
  static constexpr uint32_t kNever = UINT32_MAX;
  OtherInstance(uint32_t start, uint32_t showsAt, uint32_t releasesAt)
      : clock_(start), start_(start), showsAt_(showsAt), releasesAt_(releasesAt) {}

  bool BringFirstForward() override {
    ++looks;
    clock_ += 3;  // finding and asking a window takes a little time
    return Elapsed() >= showsAt_;
  }
  bool Claim(uint32_t waitMs) override {
    ++claims;
    if (Elapsed() >= releasesAt_) return true;
    if (releasesAt_ != kNever && releasesAt_ - Elapsed() <= waitMs) {
      clock_ = start_ + releasesAt_;
      return true;
    }
    clock_ += waitMs;
    return false;
  }
  uint32_t Now() override { return clock_; }
  uint32_t Elapsed() const { return clock_ - start_; }

  int looks = 0;
  int claims = 0;

 private:
  uint32_t clock_;
  uint32_t start_;
  uint32_t showsAt_;
  uint32_t releasesAt_;
};

TEST(SecondStartTest, ARunningFirstIsBroughtForwardWithoutWaiting) {
  OtherInstance first(1000, 0, OtherInstance::kNever);
  EXPECT_EQ(core::SecondStart::BroughtFirstForward, core::SettleSecondStart(first));
  EXPECT_EQ(0, first.claims);
  EXPECT_LT(first.Elapsed(), 10u);
}

TEST(SecondStartTest, AFirstThatIsStillStartingIsWaitedForUntilItShowsItsWindow) {
  OtherInstance first(1000, 700, OtherInstance::kNever);
  EXPECT_EQ(core::SecondStart::BroughtFirstForward, core::SettleSecondStart(first));
  EXPECT_GE(first.Elapsed(), 700u);
  // It looks again after every short wait, so it answers soon after the window shows.
  EXPECT_LT(first.Elapsed(), 700u + core::kClaimSliceMs + 10);
}

TEST(SecondStartTest, AFirstThatIsEndingIsWaitedForAndThenThisStartRunsAlone) {
  OtherInstance first(1000, OtherInstance::kNever, 1200);
  EXPECT_EQ(core::SecondStart::RunsAlone, core::SettleSecondStart(first));
  EXPECT_EQ(1200u, first.Elapsed());
  EXPECT_GT(first.looks, 1);  // it kept looking for a window while it waited
}

TEST(SecondStartTest, AFirstThatNeitherShowsNorEndsIsGivenUpOnAfterThePatience) {
  OtherInstance stuck(1000, OtherInstance::kNever, OtherInstance::kNever);
  EXPECT_EQ(core::SecondStart::GaveUp, core::SettleSecondStart(stuck, 2000, 50));
  EXPECT_GE(stuck.Elapsed(), 2000u);
  EXPECT_LT(stuck.Elapsed(), 2000u + 50 + 10);
}

TEST(SecondStartTest, AClockThatWrapsDuringTheWaitChangesNothing) {
  OtherInstance stuck(UINT32_MAX - 300, OtherInstance::kNever, OtherInstance::kNever);
  EXPECT_EQ(core::SecondStart::GaveUp, core::SettleSecondStart(stuck, 2000, 50));
  EXPECT_GE(stuck.Elapsed(), 2000u);
  EXPECT_LT(stuck.Elapsed(), 2000u + 50 + 10);

  OtherInstance ending(UINT32_MAX - 300, OtherInstance::kNever, 900);
  EXPECT_EQ(core::SecondStart::RunsAlone, core::SettleSecondStart(ending, 2000, 50));
}

TEST(SecondStartTest, AClaimThisStartMayNotOpenBelongsToAnotherInstance) {
  EXPECT_EQ(core::ClaimOpening::Opened, core::ClassifyClaimOpening(true, 0));
  EXPECT_EQ(core::ClaimOpening::Opened, core::ClassifyClaimOpening(true, 183));        // exists
  EXPECT_EQ(core::ClaimOpening::HeldElsewhere, core::ClassifyClaimOpening(false, 5));  // denied
  EXPECT_EQ(core::ClaimOpening::Failed, core::ClassifyClaimOpening(false, 8));
}

}  // namespace

// How the Program wires the windows: each Program owns its own state and windows, and a
// window made without the Program's links does its own part and nothing else.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "ProgramTest.h"
#include "forms/Form.h"

namespace {

bool IsLoaded(const forms::Form* form) {
  const auto& loaded = forms::Forms();
  return std::find(loaded.begin(), loaded.end(), form) != loaded.end();
}

class WiringTest : public test::FreshProgram {};

TEST_F(WiringTest, TwoProgramsShareNothing) {
  auto first = std::make_unique<basDecs::Program>();
  basDecs::Program second;
  first->Shared().jumpInterval = 3;
  first->Shared().locations[2].x = 77;
  FrmRun& run = first->frmRun();
  EXPECT_EQ(3000, run.Timermove.Interval());
  EXPECT_EQ(0, second.Shared().jumpInterval);
  EXPECT_EQ(0, second.Shared().locations[2].x);
  EXPECT_EQ(nullptr, second.frmRunIfLoaded());

  // Each window works on its own Program's state.
  FrmRun& other = second.frmRun();
  other.cmdRun_Click();
  EXPECT_TRUE(second.Shared().running);
  EXPECT_FALSE(first->Shared().running);

  // The end of one Program unloads its own windows only.
  first.reset();
  EXPECT_EQ(std::vector<forms::Form*>{&other}, forms::Forms());
  EXPECT_TRUE(second.Shared().running);
}

TEST_F(WiringTest, TheConfigurationButtonOpensTheProgramsOwnConfigurationWindow) {
  basDecs::Program program;
  program.Shared().jumpInterval = 5;
  program.frmRun().cmdConfig_Click();
  ASSERT_TRUE(IsLoaded(&program.frmConfig()));
  EXPECT_TRUE(program.frmConfig().Visible());
  EXPECT_TRUE(program.frmConfig().cmdCancel.Enabled());
  EXPECT_FALSE(program.frmRun().Visible());
  program.frmConfig().cmdCancel_Click();
  EXPECT_TRUE(program.frmRun().Visible());
  EXPECT_EQ(5000, program.frmRun().Timermove.Interval());
  EXPECT_EQ(std::vector<forms::Form*>{&program.frmRun()}, forms::Forms());
}

TEST_F(WiringTest, AConfigurationWindowWithoutLinksCapturesNothingAndCancelOnlyUnloads) {
  basDecs::SharedState shared;
  CReadWriteEasyReg registry;
  FrmConfig config(shared, registry);
  config.Show();
  int16_t key = 75, ctrl = 2;
  config.DispatchKeyDown(config.hWnd(), key, ctrl);
  EXPECT_EQ(-1, shared.currentLocation);
  EXPECT_FALSE(shared.locations[0].captured);
  config.cmdCancel_Click();
  EXPECT_FALSE(config.IsLoaded());
  EXPECT_TRUE(forms::Forms().empty());
}

TEST_F(WiringTest, ARunWindowWithoutLinksHoldsItsCycleAndHidesForConfiguration) {
  basDecs::SharedState shared;
  CReadWriteEasyReg registry;
  FrmRun run(shared, registry);
  run.Show();
  run.cmdRun_Click();
  EXPECT_TRUE(run.Timermove.Enabled());
  run.cmdConfig_Click();
  EXPECT_FALSE(run.Visible());
  EXPECT_FALSE(run.Timermove.Enabled());
  EXPECT_TRUE(shared.running);
  EXPECT_EQ(std::vector<forms::Form*>{&run}, forms::Forms());
  run.Unload();
}

}  // namespace

// Real keyboard input (SendInput) into the target: needs the foreground window.
#include "tests/driver/DriverTestUtil.h"

using namespace dptest;

namespace {

// Each virtual desktop has a foreground window of its own.
const auto* const g_desktop = ::testing::AddGlobalTestEnvironment(new DesktopEnvironment);

TEST_F(TargetTest, SendKeysTypesIntoTheFocusedEdit) {
    ASSERT_TRUE(DesktopEnvironment::Ok());
    HWND edit = NeedChildById(main_, kName);
    ASSERT_TRUE(BringToFront(main_));
    ASSERT_TRUE(ClickAt(edit, 5, 5));
    ASSERT_TRUE(WaitUntil([&] { return FocusedControl(main_) == edit; }, kWaitMs, "focus on the name edit"));
    ASSERT_TRUE(SendKeys("Hi there"));
    EXPECT_TRUE(WaitForText(edit, "Hi there"));
    EXPECT_TRUE(WaitLogged("name change Hi there"));
}

}  // namespace

// The driver on Wine's own desktop, without a window manager: no frames, and shared with whatever
// else runs in the prefix. A virtual desktop started there (by another test) sets the screen size
// for everyone, and Wine keeps no pixels of a window beyond the screen: stay inside 1024x768.
#include "tests/driver/DriverTestUtil.h"

using namespace dptest;

namespace {

class PlainTargetTest : public TargetTest {
protected:
    std::string Position() const override { return "520 380"; }
};

TEST_F(PlainTargetTest, DrivesAndCaptures) {
    ASSERT_TRUE(Click(NeedChildById(main_, kPress)));
    EXPECT_TRUE(Logged("click press"));
    ASSERT_TRUE(ChooseMenu(main_, "File|Recent|First"));
    EXPECT_TRUE(Logged("menu 211"));
    ASSERT_TRUE(SelectComboItem(NeedChildById(main_, kColour), "Blue"));
    EXPECT_TRUE(Logged("colour change 2 Blue"));
    ASSERT_TRUE(Click(NeedChildById(main_, kAsk)));
    EXPECT_EQ(AnswerMessageBox("Target Question", IDYES), "Save the changes to \"notes\"?");
    EXPECT_TRUE(WaitLogged("answer 6"));

    std::string path = Screenshot(main_, "plain");
    ASSERT_FALSE(path.empty());
    TRgbImage png;
    std::string error;
    ASSERT_TRUE(ReadPng(ReadFileText(path), png, error)) << error;
    RECT r;
    GetWindowRect(main_, &r);
    EXPECT_EQ(png.Width, static_cast<uint32_t>(r.right - r.left));
    POINT client{0, 0};
    ClientToScreen(main_, &client);
    EXPECT_EQ(png.Pixels.at(static_cast<size_t>(client.y - r.top + 220) * png.Width + (client.x - r.left + 330)),
              kSwatchColour);
    ASSERT_TRUE(RequestClose(main_));
    EXPECT_EQ(target_.WaitExit(), 3);
}

}  // namespace

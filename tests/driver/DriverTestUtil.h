// The driver's own tests: the target program under the driver; shots are read with ReadPng.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classlib/PngFile.h"
#include "tests/driver/TestDriver.h"

// Control ids and texts of dp_driver_target.exe.
enum TargetId {
    kPress = 101,
    kName = 102,
    kColour = 103,
    kLoud = 104,
    kAsk = 105,
    kNotes = 106,
    kSizes = 107,
    kManual = 108,
    kOff = 109,
    kFont = 110,
    kHiddenPress = 111,
    kLater = 112,
};
// The colour block the target paints at (300,200)-(360,240) of its client area.
constexpr uint32_t kSwatchColour = 0x129A3C;

// Moves the test thread onto a virtual desktop of its own before the first test: windows have
// frames there, and other test programs' windows neither cover ours nor take the focus.
class DesktopEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
    static bool Ok();
};

class TargetTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Where the target puts its window, as its command line's "X Y".
    virtual std::string Position() const { return ""; }
    // The target's log, one entry per line.
    std::vector<std::string> Log() const;
    bool Logged(const std::string& line) const;
    // Waits for the line to be logged.
    bool WaitLogged(const std::string& line);
    HWND Control(int id);

    dptest::TestProcess target_;
    std::string logPath_;
    HWND main_ = nullptr;
};

#include "tests/driver/DriverTestUtil.h"

#include <cstring>
#include <sstream>

using namespace dptest;

namespace {
std::unique_ptr<VirtualDesktop> g_desktop;
}

void DesktopEnvironment::SetUp() { g_desktop = std::make_unique<VirtualDesktop>(1024, 768); }

void DesktopEnvironment::TearDown() { g_desktop.reset(); }

bool DesktopEnvironment::Ok() { return g_desktop && g_desktop->Ok(); }

void TargetTest::SetUp() {
    std::string dir = ArtifactDir();
    logPath_ = dir + "target.log";
    DeleteFileA(logPath_.c_str());
    std::string args = "\"" + logPath_ + "\"";
    if (!Position().empty()) args += " " + Position();
    ASSERT_TRUE(target_.Start(BinDir() + "dp_driver_target.exe", args, dir));
    main_ = WaitForWindow("Driver Target", "DpDriverTarget", target_.Pid());
    ASSERT_NE(main_, nullptr);
}

std::vector<std::string> TargetTest::Log() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadFileText(logPath_));
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

bool TargetTest::Logged(const std::string& line) const {
    for (const auto& l : Log())
        if (l == line) return true;
    return false;
}

bool TargetTest::WaitLogged(const std::string& line) {
    if (PollUntil([&] { return Logged(line); }, kWaitMs)) return true;
    std::string all;
    for (const auto& l : Log()) all += "\n  " + l;
    ADD_FAILURE() << "the target never logged \"" << line << "\"; its log:" << all;
    return false;
}

HWND TargetTest::Control(int id) { return NeedChildById(main_, id); }

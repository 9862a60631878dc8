// The end-to-end tests' world: the builder and its sample movie in a folder of their own, the
// user's movies in another, and a virtual desktop.
#include "BuilderDriver.h"

namespace builder_e2e {
namespace {

class Environment : public ::testing::Environment {
public:
    void SetUp() override {
        CreateDirectoryA(ProgramDir().c_str(), nullptr);
        ASSERT_TRUE(CopyFileA((BinDir() + "driftpane.exe").c_str(), Program().c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((BinDir() + "sample.swf").c_str(), (ProgramDir() + "sample.swf").c_str(), FALSE));
        CreateDirectoryA(SourceDir().c_str(), nullptr);
        ASSERT_TRUE(CopyFileA((BinDir() + "sample.swf").c_str(), (SourceDir() + "drift.swf").c_str(), FALSE));
        desktop_ = new VirtualDesktop();
        ASSERT_TRUE(desktop_->Ok());
    }
    void TearDown() override { delete desktop_; }

private:
    VirtualDesktop* desktop_ = nullptr;
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new Environment);

}  // namespace
}  // namespace builder_e2e

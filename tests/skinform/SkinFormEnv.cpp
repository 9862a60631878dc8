#include <gtest/gtest.h>

#include <memory>

#include "BuilderSkinFile.h"
#include "SkinFormTestUtil.h"
#include "classlib/Classes.h"
#include "skin/SkinManage.h"
#include "skin/TinselData.h"
#include "tests/driver/TestDriver.h"

// The skinned-window tests' world: a virtual desktop of their own and the builder's stored
// skin in a main-form skin data component.
namespace skinform {
namespace {

TSkinData* g_skin = nullptr;

}  // namespace

namespace {

class SkinEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        desktop_ = std::make_unique<dptest::VirtualDesktop>(1024, 768);
        ASSERT_TRUE(desktop_->Ok());
        Application->Initialize();
        g_skin = new TSkinData(nullptr);
        g_skin->SetSkinControls(TSkinControlTypes::FromMask(DefaultSkinControls));
        ReadBuilderSkin(g_skin);
        ASSERT_FALSE(g_skin->SkinEmpty);
        g_skin->SetActive(true);
        g_skin->Loaded();
    }
    void TearDown() override {
        delete g_skin;
        g_skin = nullptr;
        FreeSkinManager();
        desktop_.reset();
    }

private:
    std::unique_ptr<dptest::VirtualDesktop> desktop_;
};

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new SkinEnvironment);

}  // namespace

TSkinData* Skin() { return g_skin; }

}  // namespace skinform

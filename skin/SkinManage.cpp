#include "skin/SkinManage.h"

#include <algorithm>

#include "skin/TinselData.h"

TSkinManage* SkinManager = nullptr;

TSkinManage* EnsureSkinManager() {
    if (!SkinManager) SkinManager = new TSkinManage();
    return SkinManager;
}

void FreeSkinManager() {
    if (!SkinManager) return;
    SkinManager->State = 4;
    delete SkinManager;
    SkinManager = nullptr;
}

void TSkinManage::AddSkinData(TSkinData* data) {
    if (!data) return;
    FSkinDatas.push_back(data);
    if (!FMainData && data->SkinFormtype() == sfMainform) FMainData = data;
}

void TSkinManage::RemoveSkinData(TSkinData* data) {
    FSkinDatas.erase(std::remove(FSkinDatas.begin(), FSkinDatas.end(), data), FSkinDatas.end());
    // A component that is gone must not stay reachable through the pending action or as the
    // main skin: every later test would read a freed object.
    if (FCurrentData == data) FCurrentData = nullptr;
    if (FMainData == data) FMainData = nullptr;
}

void TSkinManage::InstallHook() { ++HookInstalls; }

void TSkinManage::PostAction(int32_t code, int32_t delay) { PostedActions.push_back({code, delay, FCurrentData}); }

bool TSkinManage::SkinWindow(HWND wnd) {
    SkinnedWindows.push_back(wnd);
    return false;
}

void TSkinManage::RefreshSkinData() { ++Refreshes; }

// The skin manager as the skin data component sees it: the registered components, the
// main and current skin data, the enabled flag and the state, and the requests a
// component makes. The CBT window hook, the form and popup skins and the timed actions
// come with the manager itself; until then InstallHook and PostAction only record what
// was asked, and SkinWindow records the window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

class TSkinData;

class TSkinManage {
public:
    TSkinManage() = default;
    TSkinManage(const TSkinManage&) = delete;
    TSkinManage& operator=(const TSkinManage&) = delete;

    // Appends it; the first sfMainform component becomes the main skin.
    void AddSkinData(TSkinData* data);
    // Drops it from the list, and from the main and current skin data it was.
    void RemoveSkinData(TSkinData* data);
    void InstallHook();
    // A skin action (1 skin all, 2 unskin all, 3 skin changed) after delay ms.
    void PostAction(int32_t code, int32_t delay);
    bool SkinWindow(HWND wnd);
    // Every skinned form of the current skin data drops its caption buttons.
    void RefreshSkinData();

    const std::vector<TSkinData*>& SkinDatas() const { return FSkinDatas; }
    TSkinData* MainData() const { return FMainData; }
    TSkinData* CurrentData() const { return FCurrentData; }
    void SetCurrentData(TSkinData* data) { FCurrentData = data; }

    bool Enabled = false;
    // 0 created, 1 running, 4 being destroyed.
    int32_t State = 0;

    // What was asked so far, oldest first.
    struct TPostedAction {
        int32_t Code;
        int32_t Delay;
        TSkinData* Data;
    };
    std::vector<TPostedAction> PostedActions;
    int32_t HookInstalls = 0;
    int32_t Refreshes = 0;
    std::vector<HWND> SkinnedWindows;

private:
    std::vector<TSkinData*> FSkinDatas;
    TSkinData* FMainData = nullptr;
    TSkinData* FCurrentData = nullptr;
};

// The one manager of the program: nil until the first skin data component has loaded.
extern TSkinManage* SkinManager;
// Creates it when there is none.
TSkinManage* EnsureSkinManager();
// Frees it (the module's finalisation; tests start afresh with it).
void FreeSkinManager();

// The skin manager: the one object that knows every skinned window of the program. Its
// thread CBT hook decides for each window that is created or activated whether it gets a
// form skin or, for a menu window, a popup skin; its one-shot timer runs the deferred
// actions (skin all, unskin all, skin changed, purge), the last request winning.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classlib/WinHook.h"

class TSkinData;
class TTinselForm;
class TTinselPopMenu;
class TTimer;
class TObject;
class TCustomForm;
class TBitmap;

class TSkinManage {
public:
    TSkinManage();
    TSkinManage(const TSkinManage&) = delete;
    TSkinManage& operator=(const TSkinManage&) = delete;
    ~TSkinManage();

    // The thread's CBT hook; installed once however often it is asked for.
    void InstallHook();
    bool HookInstalled() const { return FHook.Installed(); }
    // Appends it; the first sfMainform component becomes the main skin.
    void AddSkinData(TSkinData* data);
    // Drops it from the list, and from the main and current skin data it was.
    void RemoveSkinData(TSkinData* data);
    // Whether the window gets a form skin now; true when it got one.
    bool SkinWindow(HWND wnd);
    void SkinFormIfShown(TCustomForm* form);
    TTinselForm* FindSkinForm(HWND wnd) const;
    TCustomForm* FormOfHandle(HWND wnd) const;
    // Forgets the window's form skin without freeing it.
    void RemoveForm(HWND wnd);
    void PurgeForms();
    void PurgeDeadForms();
    void ReleaseAll();
    // The popup menu windows.
    void SkinPopupMenu(HWND wnd);
    bool FreePopupSkin(HWND wnd);
    bool IsPopupSkinned(HWND wnd) const;
    void AssignPopupMenu(HMENU menu);
    TBitmap* MenuFrameBitmap(HMENU menu) const;
    void SetCaptionActive(bool maximized);
    // Every skinned form of the current skin data drops its caption buttons.
    void RefreshSkinData();
    // The records of the component's skin are about to go (a new skin is read): its forms
    // drop the caption buttons bound to them; afterwards they take the new records.
    void DropSkinRecords(TSkinData* data);
    void TakeSkinRecords(TSkinData* data);
    // A skin action (1 skin all, 2 unskin all, 3 skin changed, 6 purge) after delay ms.
    void PostAction(int32_t code, int32_t delay);
    void DoAction(TObject* sender);
    bool AllowWindow(HWND wnd, const std::string& className);
    TSkinData* ChooseSkinData(HWND wnd) const;
    static bool IsPlainChildWindow(HWND wnd);

    const std::vector<TSkinData*>& SkinDatas() const { return FSkinDatas; }
    const std::vector<TTinselForm*>& FormSkins() const { return FForms; }
    size_t PopupSkinCount() const { return FPopups.size(); }
    TSkinData* MainData() const { return FMainData; }
    TSkinData* CurrentData() const { return FCurrentData; }
    void SetCurrentData(TSkinData* data) { FCurrentData = data; }
    // The action waiting for the timer, 0 when none.
    int32_t PendingAction() const;
    int32_t PendingDelay() const;

    bool Enabled = false;
    bool SkinAllRunning = false;
    // 0 created, 1 running, 4 being destroyed.
    int32_t State = 0;
    // The kind of menu about to open: 0 context, 1 menu-bar drop-down, 2 system menu.
    int32_t PopupMode = 0;
    bool MDIMaximized = false;
    HWND MDIClientWindow = nullptr;
    TCustomForm* MDIFrameForm = nullptr;

private:
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    // Frees it unless its window procedure is running; then it waits for a purge.
    void Dispose(TTinselForm* form);

    TWindowsHook FHook;
    std::unique_ptr<TTimer> FTimer;
    std::vector<TTinselForm*> FForms;
    std::vector<TTinselPopMenu*> FPopups;
    std::vector<TSkinData*> FSkinDatas;
    TSkinData* FMainData = nullptr;
    TSkinData* FCurrentData = nullptr;
    int32_t FActionCode = 0;
};

// The one manager of the program: nil until the first skin data component has loaded.
extern TSkinManage* SkinManager;
// Creates it when there is none.
TSkinManage* EnsureSkinManager();
// Frees it (the module's finalisation; tests start afresh with it).
void FreeSkinManager();
// The program's module, whose windows without a form may be skinned.
HINSTANCE SkinModuleInstance();

#include "skin/SkinManage.h"

#include <algorithm>
#include <cstdio>

#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/SysUtils.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/TinselPopMenu.h"

TSkinManage* SkinManager = nullptr;

namespace {

std::string ClassNameOf(HWND wnd) {
    char name[256] = {};
    GetClassNameA(wnd, name, sizeof name);
    return name;
}

// Frees the manager when the module ends.
struct TManagerFinaliser {
    ~TManagerFinaliser() { FreeSkinManager(); }
} g_finaliser;

}  // namespace

HINSTANCE SkinModuleInstance() { return GetModuleHandleA(nullptr); }

TSkinManage* EnsureSkinManager() {
    if (!SkinManager) SkinManager = new TSkinManage();
    return SkinManager;
}

void FreeSkinManager() {
    if (!SkinManager) return;
    TSkinManage* manager = SkinManager;
    delete manager;
    SkinManager = nullptr;
}

TSkinManage::TSkinManage() : FTimer(std::make_unique<TTimer>(nullptr)) {
    FTimer->SetEnabled(false);
    FTimer->SetInterval(100);
    FTimer->OnTimer = TNotifyEvent(this, &TSkinManage::DoAction);
}

TSkinManage::~TSkinManage() {
    State = 4;
    Enabled = false;
    FTimer.reset();
    if (!FForms.empty()) {
        // ReleaseAll checks nothing of State; the forms go whatever it is.
        for (size_t i = FForms.size(); i-- > 0;) {
            TTinselForm* f = FForms[i];
            FForms.erase(FForms.begin() + static_cast<ptrdiff_t>(i));
            f->Release();
            delete f;
        }
    }
    // A menu window still open must not call a freed skin: detach before freeing.
    for (TTinselPopMenu* p : FPopups) {
        p->Detach();
        delete p;
    }
    FPopups.clear();
    FSkinDatas.clear();
    FHook.Release();
}

void TSkinManage::InstallHook() { FHook.Install(WH_CBT, &TSkinManage::CbtHook); }

LRESULT CALLBACK TSkinManage::CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    TSkinManage* self = SkinManager;
    if (!self) return CallNextHookEx(nullptr, code, wParam, lParam);
    if (code >= 0) {
        try {
            const HWND wnd = reinterpret_cast<HWND>(wParam);
            switch (code) {
                case HCBT_CREATEWND: {
                    const auto* cbt = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
                    const CREATESTRUCTA* cs = cbt ? cbt->lpcs : nullptr;
                    if (!cs) break;
                    const std::string name = ClassNameOf(wnd);
                    if (name == "ScrollBar" && (cs->style & SBS_SIZEGRIP))
                        if (TTinselForm* parent = self->FindSkinForm(cs->hwndParent)) parent->SkinChildWindow(wnd);
                    if (!(cs->style & WS_CHILD) && name == "#32768") self->SkinPopupMenu(wnd);
                    if (cs->dwExStyle & WS_EX_MDICHILD) self->SkinWindow(wnd);
                    break;
                }
                case HCBT_DESTROYWND: self->FreePopupSkin(wnd); break;
                case HCBT_ACTIVATE:
                    if (self->State == 0) self->State = 1;
                    self->SkinWindow(wnd);
                    break;
                default: break;
            }
        } catch (...) {
            // Skinning never stops a window from being made or activated.
        }
    }
    return self->FHook.CallNext(code, wParam, lParam);
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
    // Its form skins cannot paint without it.
    for (size_t i = FForms.size(); i-- > 0;) {
        TTinselForm* f = FForms[i];
        if (f->SkinData != data) continue;
        FForms.erase(FForms.begin() + static_cast<ptrdiff_t>(i));
        if (f->LifeState != lsDead) f->Unskin();
        Dispose(f);
    }
}

bool TSkinManage::IsPlainChildWindow(HWND wnd) {
    const LONG_PTR style = GetWindowLongPtrA(wnd, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrA(wnd, GWL_EXSTYLE);
    if (!(style & WS_CHILD) || (exStyle & WS_EX_MDICHILD)) return false;
    return LowerCase(ClassNameOf(GetParent(wnd))) != "mdiclient";
}

bool TSkinManage::SkinWindow(HWND wnd) {
    if (!Enabled || !wnd) return false;
    PurgeForms();
    if (SendMessageA(wnd, WM_SKIN_QUERY, 0, 0) == 1) return false;
    if (FindSkinForm(wnd)) return false;
    TCustomForm* form = FormOfHandle(wnd);
    if (!SkinAllRunning && IsPlainChildWindow(wnd)) return false;
    const std::string name = ClassNameOf(wnd);
    const auto module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(wnd, GWLP_HINSTANCE));
    if (!form && module != SkinModuleInstance() && name != "#32770") return false;
    const LONG_PTR exStyle = GetWindowLongPtrA(wnd, GWL_EXSTYLE);
    RECT r{};
    GetWindowRect(wnd, &r);
    if ((r.right - r.left) * (r.bottom - r.top) == 0 && !(exStyle & WS_EX_MDICHILD)) return false;
    if (form && form->Tag() == 99) return false;
    if (name.find("TcxPopupEditPopupWindow") != std::string::npos) return false;
    if (name == "TApplication") return false;
    if (!AllowWindow(wnd, name)) return false;
    TSkinData* data = ChooseSkinData(wnd);
    if (!data || data->SkinEmpty) return false;

    auto* skin = new TTinselForm(nullptr);
    skin->Handle = wnd;
    skin->WindowClassName = name;
    FForms.push_back(skin);
    if (form)
        skin->SkinFormObject(data, form);
    else
        skin->SkinHandle(data);
    PostMessageA(wnd, WM_SKIN_ACTIVATE, 0, 1000);
    return true;
}

void TSkinManage::SkinFormIfShown(TCustomForm* form) {
    if (!form || !form->Visible() || !form->HandleAllocated()) return;
    if (GetWindowLongPtrA(form->Handle(), GWL_STYLE) & WS_CHILD) return;
    SkinWindow(form->Handle());
}

TTinselForm* TSkinManage::FindSkinForm(HWND wnd) const {
    if (!wnd) return nullptr;
    for (TTinselForm* f : FForms)
        if (f->Handle == wnd && f->LifeState != lsDead) return f;
    return nullptr;
}

TCustomForm* TSkinManage::FormOfHandle(HWND wnd) const {
    if (Screen) {
        // Only windows that exist: asking a form for its Handle would make one, here inside the hook.
        for (int i = 0; i < Screen->FormCount(); ++i) {
            TCustomForm* f = Screen->Forms(i);
            if (f->HandleAllocated() && f->Handle() == wnd) return f;
        }
    }
    return DynamicAs<TCustomForm>(ControlOfHandle(wnd));
}

void TSkinManage::RemoveForm(HWND wnd) {
    if (State == 4) return;
    for (size_t i = 0; i < FForms.size(); ++i)
        if (FForms[i]->Handle == wnd) {
            FForms.erase(FForms.begin() + static_cast<ptrdiff_t>(i));
            return;
        }
}

void TSkinManage::Dispose(TTinselForm* form) {
    if (form->Busy()) {
        // Still on the stack (a nested message loop): freed by a later purge.
        if (std::find(FForms.begin(), FForms.end(), form) == FForms.end()) FForms.push_back(form);
        return;
    }
    delete form;
}

void TSkinManage::PurgeForms() { PurgeDeadForms(); }

void TSkinManage::PurgeDeadForms() {
    if (State == 4) return;
    for (size_t i = FForms.size(); i-- > 0;) {
        TTinselForm* f = FForms[i];
        if (f->LifeState != lsDead || f->Busy()) continue;
        FForms.erase(FForms.begin() + static_cast<ptrdiff_t>(i));
        delete f;
    }
}

void TSkinManage::ReleaseAll() {
    Enabled = false;
    for (size_t i = FForms.size(); i-- > 0;) {
        TTinselForm* f = FForms[i];
        FForms.erase(FForms.begin() + static_cast<ptrdiff_t>(i));
        f->Release();
        Dispose(f);
    }
}

void TSkinManage::SkinPopupMenu(HWND wnd) {
    if (!Enabled) return;
    if (SendMessageA(wnd, WM_SKIN_QUERY, 0, 0) == 1) return;
    if (IsPopupSkinned(wnd)) return;
    TSkinData* data = ChooseSkinData(wnd);
    if (!data || data->SkinEmpty) return;
    const TSkinControlTypes controls = data->SkinControls();
    const bool wanted = PopupMode == 0   ? controls.Contains(xcPopupMenu)
                        : PopupMode == 1 ? controls.Contains(xcMainMenu) || controls.Contains(xcMenuItem)
                        : PopupMode == 2 ? controls.Contains(xcSystemMenu)
                                         : false;
    if (!wanted) return;
    auto* popup = new TTinselPopMenu();
    if (!popup->Attach(wnd, data, nullptr)) {
        delete popup;
        return;
    }
    FPopups.push_back(popup);
}

bool TSkinManage::FreePopupSkin(HWND wnd) {
    bool found = false;
    for (size_t i = 0; i < FPopups.size(); ++i) {
        if (FPopups[i]->Window() != wnd) continue;
        TTinselPopMenu* p = FPopups[i];
        p->Detach();
        FPopups.erase(FPopups.begin() + static_cast<ptrdiff_t>(i));
        delete p;
        found = true;
        break;
    }
    if (FPopups.empty()) PopupMode = 0;
    return found;
}

bool TSkinManage::IsPopupSkinned(HWND wnd) const {
    return std::any_of(FPopups.begin(), FPopups.end(), [wnd](const TTinselPopMenu* p) { return p->Window() == wnd; });
}

void TSkinManage::AssignPopupMenu(HMENU menu) {
    for (size_t i = FPopups.size(); i-- > 0;) {
        if (FPopups[i]->Menu() == menu) return;
        if (!FPopups[i]->Menu()) {
            FPopups[i]->SetMenu(menu);
            return;
        }
    }
}

TBitmap* TSkinManage::MenuFrameBitmap(HMENU menu) const {
    for (const TTinselPopMenu* p : FPopups)
        if (p->Menu() == menu) return p->FrameBitmap();
    return nullptr;
}

void TSkinManage::SetCaptionActive(bool maximized) {
    if (maximized == MDIMaximized) return;
    MDIMaximized = maximized;
    if (FMainData && FMainData->Options().Contains(xoMDIChildBorder)) return;
    for (TTinselForm* f : FForms) {
        if (f->Kind != fkMDIChild || f->LifeState == lsDead) continue;
        if (maximized) {
            f->ClearRegion();
            f->SetCaptionStyle(true);
        } else if (IsIconic(f->Handle)) {
            f->SetCaptionStyle(true);
        } else {
            f->ShowStateValue = ssNormal;
            f->UpdateRegion();
            f->SetCaptionStyle(false);
            if (!f->RegionPresent) f->FrameChanged();
        }
    }
}

void TSkinManage::RefreshSkinData() { DropSkinRecords(FCurrentData); }

void TSkinManage::DropSkinRecords(TSkinData* data) {
    if (!data) return;
    for (TTinselForm* f : FForms)
        if (f->SkinData == data && f->LifeState != lsDead) f->ClearSysButtons();
}

void TSkinManage::TakeSkinRecords(TSkinData* data) {
    if (!data) return;
    for (TTinselForm* f : FForms)
        if (f->SkinData == data && f->LifeState != lsDead && f->FrameSkinned) f->LoadSkinMetrics();
}

int32_t TSkinManage::PendingAction() const { return FTimer && FTimer->Enabled() ? FActionCode : 0; }

int32_t TSkinManage::PendingDelay() const {
    return FTimer && FTimer->Enabled() ? static_cast<int32_t>(FTimer->Interval()) : 0;
}

void TSkinManage::PostAction(int32_t code, int32_t delay) {
    FActionCode = code;
    FTimer->SetEnabled(false);
    FTimer->SetInterval(static_cast<uint32_t>(delay > 0 ? delay : 1));
    if (State == 0) {
        if (code == 1) Enabled = true;
        if (code == 2) Enabled = false;
        return;
    }
    FTimer->SetEnabled(true);
}

void TSkinManage::DoAction(TObject*) {
    FTimer->SetEnabled(false);
    TSkinData* data = FCurrentData;
    if (!data) return;
    const bool only = data->SkinFormtype() == sfOnlyThisForm;
    switch (FActionCode) {
        case 1:
            Enabled = true;
            SkinAllRunning = true;
            if (!only) PurgeForms();
            if (Screen) {
                for (int i = Screen->FormCount() - 1; i >= 0; --i) {
                    TCustomForm* f = Screen->Forms(i);
                    if (only && f != data->Owner()) continue;
                    SkinFormIfShown(f);
                    if (only) break;
                }
            }
            SkinAllRunning = false;
            break;
        case 2:
            Enabled = false;
            PurgeForms();
            for (size_t i = FForms.size(); i-- > 0;) {
                TTinselForm* f = FForms[i];
                if (only && f->SkinData != data) continue;
                FForms.erase(FForms.begin() + static_cast<ptrdiff_t>(i));
                const HWND wnd = f->Handle;
                f->Unskin();
                TTinselForm::RepaintWindow(wnd);
                Dispose(f);
                if (only) break;
            }
            break;
        case 3:
            PurgeForms();
            for (TTinselForm* f : std::vector<TTinselForm*>(FForms)) {
                if (f->SkinData != data || f->LifeState == lsDead) continue;
                f->ClearSysButtons();
                f->LoadSkinMetrics();
                if (only) {
                    f->SkinChanged();
                    break;
                }
            }
            if (!only)
                for (TTinselForm* f : std::vector<TTinselForm*>(FForms))
                    if (f->SkinData == data && f->LifeState != lsDead) f->SkinChanged();
            break;
        case 6: PurgeDeadForms(); break;
        default: break;
    }
    data->DoSkinChanged();
    FCurrentData = nullptr;
}

bool TSkinManage::AllowWindow(HWND wnd, const std::string& className) {
    bool result = true;
    if (!FMainData) return result;
    if (!FMainData->Options().Contains(xoPreview) && LowerCase(className).find("preview") != std::string::npos)
        result = false;
    FMainData->DoFormSkin(wnd, className, result);
    return result;
}

TSkinData* TSkinManage::ChooseSkinData(HWND wnd) const {
    const std::string lower = LowerCase(ClassNameOf(wnd));
    const bool dialog = lower == "tmessageform" || lower == "#32770";
    TSkinData* result = nullptr;
    for (TSkinData* d : FSkinDatas) {
        auto* owner = DynamicAs<TWinControl>(d->Owner());
        if (d->SkinFormtype() == sfOnlyThisForm && owner && owner->HandleAllocated() && owner->Handle() == wnd)
            result = d;
    }
    if (!result && dialog)
        for (TSkinData* d : FSkinDatas)
            if (d->SkinFormtype() == sfDialog) result = d;
    if (!result)
        for (TSkinData* d : FSkinDatas)
            if (d->SkinFormtype() == sfMainform) result = d;
    if (!result && !FSkinDatas.empty()) result = FSkinDatas.front();
    return result;
}

// Edits with a flat border from the skin (a button-shadow line, then two white lines inwards)
// over the system's, and, when spin buttons are skinned, an up-down found inside the edit
// skinned as its partner.
#pragma once

#include "skin/WinSubClass.h"

class TSkinUpDown;

class TSkinEdit : public TSkinControl {
    DP_DECLARE_CLASS(TSkinEdit, TSkinControl)
public:
    explicit TSkinEdit(TComponent* owner);
    ~TSkinEdit() override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const TRect& rect) override;
    // The border of a printed edit, inside its client area's frame.
    void DrawPrintBorder(HDC dc);
    // The first child window of the edit that is an up-down or spin button gets a partner skin.
    void FindPartner();

    // The skin of the up-down inside the edit; nil until found, and again once it is freed.
    TSkinUpDown* PartnerSkin = nullptr;

protected:
    void Notification(TComponent* component, TOperation operation) override;
};

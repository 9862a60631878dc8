// A focusable window laid over the background colour shape: it shows the shape's colour,
// a focus frame while it has the focus, and runs its click on a click, Enter or Space, so
// the colour can be chosen by keyboard without changing the stored layout.
#pragma once

#include "classlib/Controls.h"
#include "classlib/ExtCtrls.h"

class TColorSwatch : public TCustomControl {
    DP_DECLARE_CLASS(TColorSwatch, TCustomControl)
public:
    explicit TColorSwatch(TComponent* owner);
    // Takes the shape's place (bounds, parent) and shows its brush colour from then on.
    void Cover(TShape* shape);
    void WndProc(TMessage& message) override;

protected:
    void Paint() override;
    void DoEnter() override;
    void DoExit() override;

private:
    TShape* m_shape = nullptr;
};

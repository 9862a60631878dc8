#include "builder/tips.h"

#include "builder/Main.h"
#include "classlib/Registry.h"

DP_PUBLISHED(TfrmTips){
    DP_FIELD(Panel1),        DP_FIELD(Panel3),        DP_FIELD(Image1),     DP_FIELD(Label1),  DP_FIELD(Shape1),
    DP_FIELD(lblMessage),    DP_FIELD(CheckBox1),     DP_FIELD(Button1),    DP_FIELD(Button2), DP_METHOD(FormShow),
    DP_METHOD(Button1Click), DP_METHOD(Button2Click), DP_METHOD(FormClose),
};

std::string TipText(int index) {
    static const char* const questions[TipCount] = {
        "How to publish your driftpane?",
        "How to set the flash to be full of the desktop?",
        "How to change wallpaper back color?",
    };
    static const char* const answers[TipCount] = {
        "Click the [Create Installer] button and select input the name you want.",
        "Set Movie Size to Show All and set the Movie Position to FullScreen",
        "Active the Setting Page and click the BackGround Color.",
    };
    if (index < 0 || index >= TipCount) index = 0;
    return std::string(questions[index]) + "\n\r " + answers[index];
}

void TfrmTips::FormShow(TObject*) {
    // Escape closes the tips, as it closes any dialog.
    Button2->SetCancel(true);
    m_index = 0;
    lblMessage->SetCaption(TipText(m_index));
}

void TfrmTips::Button1Click(TObject*) {
    ++m_index;
    if (m_index > TipCount - 1) m_index = 0;
    lblMessage->SetCaption(TipText(m_index));
}

void TfrmTips::Button2Click(TObject*) { Close(); }

void TfrmTips::FormClose(TObject*, TCloseAction&) {
    try {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (reg.OpenKey(BuilderRegKey, true)) reg.WriteBool("Tips", CheckBox1->Checked());
    } catch (const Exception&) {
        // a user without rights under HKEY_LOCAL_MACHINE keeps the setting as it was
    }
}

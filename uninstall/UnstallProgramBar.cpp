#include "uninstall/UnstallProgramBar.h"

#include "setup/DataExpress.h"

TfrmUninstallBar* frmUninstallBar = nullptr;

DP_PUBLISHED(TfrmUninstallBar){
    DP_FIELD(Panel1),  DP_FIELD(Image1), DP_FIELD(lblMsg),       DP_FIELD(Panel3),       DP_FIELD(Bevel1),
    DP_FIELD(Bevel2),  DP_FIELD(Label1), DP_FIELD(lblDeleteMsg), DP_FIELD(ProgressBar1), DP_FIELD(Panel2),
    DP_FIELD(Button2), DP_FIELD(Timer1), DP_METHOD(FormShow),    DP_METHOD(Timer1Timer), DP_METHOD(Button2Click),
};

void TfrmUninstallBar::FormShow(TObject*) {
    Timer1->SetEnabled(true);
    const std::string n = Pack ? Pack->GetProgramName() : std::string();
    SetCaption(n + " Uninstall");
    lblMsg->SetShowAccelChar(false);  // an "&" in the name is shown as it is
    lblMsg->SetCaption("Please wait while " + n + " is removed from your computer.");
}

void TfrmUninstallBar::Timer1Timer(TObject*) {
    Timer1->SetEnabled(false);
    Pack->SetOnStep([this](TObject* sender, int step, const std::string& text) { DoStep(sender, step, text); });
    std::string left;
    try {
        Pack->Uninstall();
        Completed = true;
    } catch (const EUninstallIncomplete& e) {
        left = e.Message();
    }
    ProgressBar1->SetVisible(false);
    Button2->SetCaption(Completed ? "&Finish" : "&Close");
    Button2->SetEnabled(true);
    // Enter or Space then finishes, as the only thing left to do.
    SetActiveControl(Button2);
    Label1->SetCaption(Completed ? "Uninstall finished." : "Uninstall did not finish.");
    if (!Completed) Application->MessageBox(left, "Uninstall", MB_OK | MB_ICONWARNING);
}

void TfrmUninstallBar::DoStep(TObject*, int Setupit, const std::string& Text) {
    Label1->SetCaption(Text);
    // The bar keeps its 0-100 range: past the hundredth step it stays full.
    ProgressBar1->SetPosition(Setupit);
}

void TfrmUninstallBar::Button2Click(TObject*) { Close(); }

bool ShowUninstallBar(TExpressPack* pack) {
    Application->CreateForm(frmUninstallBar);
    frmUninstallBar->Pack = pack;
    frmUninstallBar->ShowModal();
    return frmUninstallBar->Completed;
}

// TfrmUninstallBar: the uninstaller's progress window. It starts the removal
// half a second after it is shown, so that it is painted first.
#pragma once

#include <string>

#include "classlib/ComCtrls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

class TExpressPack;

class TfrmUninstallBar : public TForm {
    DP_DECLARE_CLASS(TfrmUninstallBar, TForm)
public:
    explicit TfrmUninstallBar(TComponent* owner) : TForm(owner) {}

    TPanel* Panel1 = nullptr;
    TImage* Image1 = nullptr;
    TLabel* lblMsg = nullptr;
    TPanel* Panel3 = nullptr;
    TBevel* Bevel1 = nullptr;
    TBevel* Bevel2 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* lblDeleteMsg = nullptr;
    TProgressBar* ProgressBar1 = nullptr;
    TPanel* Panel2 = nullptr;
    TButton* Button2 = nullptr;
    TTimer* Timer1 = nullptr;

    void FormShow(TObject* Sender);
    void Timer1Timer(TObject* Sender);
    void Button2Click(TObject* Sender);
    void DoStep(TObject* Sender, int Setupit, const std::string& Text);

    // Not owned.
    TExpressPack* Pack = nullptr;
    // The run removed everything: only then may the uninstaller remove itself.
    bool Completed = false;
};

extern TfrmUninstallBar* frmUninstallBar;

// Shows the progress window over the installation record until Finish; true
// when the run removed everything.
bool ShowUninstallBar(TExpressPack* pack);

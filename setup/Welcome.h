// TfrmWelcome: setup's five-page wizard (welcome, destination, ready,
// installing, finished) over the package appended to the program file.
#pragma once

#include <string>
#include <vector>

#include "classlib/Buttons.h"
#include "classlib/ComCtrls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

class TExpressPack;

class TfrmWelcome : public TForm {
    DP_DECLARE_CLASS(TfrmWelcome, TForm)
public:
    explicit TfrmWelcome(TComponent* owner) : TForm(owner) {}

    // Pages, stacked; the one shown is the one last brought to the front.
    TPanel* pn1 = nullptr;
    TPanel* pn2 = nullptr;
    TPanel* pn3 = nullptr;
    TPanel* pn4 = nullptr;
    TPanel* pn5 = nullptr;

    TLabel* lblMsg = nullptr;
    TLabel* lblMsg2 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label10 = nullptr;
    TLabel* lblAuthor = nullptr;
    TLabel* Label12 = nullptr;
    TLabel* lblEmail = nullptr;
    TLabel* s = nullptr;
    TLabel* lblWebsite = nullptr;
    TButton* btn1Defaul = nullptr;
    TButton* Button2 = nullptr;

    TLabel* Label6 = nullptr;
    TLabel* lblMsg21 = nullptr;
    TLabel* lblMsg22 = nullptr;
    TLabel* Label4 = nullptr;
    TEdit* edtPath = nullptr;
    TButton* Button4 = nullptr;
    TButton* Button6 = nullptr;
    TButton* btn2Defaul = nullptr;
    TButton* Button5 = nullptr;

    TLabel* lblMsg31 = nullptr;
    TLabel* Label11 = nullptr;
    TLabel* Label3 = nullptr;
    TMemo* Memo1 = nullptr;
    TButton* Button10 = nullptr;
    TButton* btn3Defaul = nullptr;
    TButton* Button9 = nullptr;

    TLabel* lblMsg411 = nullptr;
    TLabel* lblMsg41 = nullptr;
    TLabel* Label8 = nullptr;
    TLabel* lblMsg42 = nullptr;
    TProgressBar* ProgressBar1 = nullptr;
    TButton* Button11 = nullptr;

    TLabel* lblMsg51 = nullptr;
    TLabel* lblMsg52 = nullptr;
    TLabel* Label14 = nullptr;
    TButton* btn5Defaul = nullptr;

    void FormCreate(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void btn1DefaulClick(TObject* Sender);
    void Button4Click(TObject* Sender);
    void Button6Click(TObject* Sender);
    void btn2DefaulClick(TObject* Sender);
    void Button10Click(TObject* Sender);
    void btn3DefaulClick(TObject* Sender);
    void btn5DefaulClick(TObject* Sender);
    void lblWebsiteClick(TObject* Sender);
    void lblEmailClick(TObject* Sender);
    void Button2Click(TObject* Sender);
    void Button5Click(TObject* Sender);
    void Button9Click(TObject* Sender);
    void Button11Click(TObject* Sender);
    void DoStep(TObject* Sender, int Setupit, const std::string& Text);

    // Not owned.
    TExpressPack* Pack = nullptr;

private:
    std::string ProgramName() const;
    // The shell answers a new group with a window of its own, and Program Manager, when setup
    // had to start it, comes up over the wizard: for a while after the install a new window of
    // another program that takes the foreground gives it back to Finish.
    void KeepInFront(TObject* Sender);
    std::vector<HWND> FWindowsBefore;
    TTimer* FFrontGuard = nullptr;
    DWORD FGuardEnd = 0;
};

extern TfrmWelcome* frmWelcome;

// Runs the wizard over the package; true when it ended with Finish.
bool ShowWelcome(TExpressPack* pack);

// The question asked before the wizard ends without installing.
extern const char* const SCancelSetup;

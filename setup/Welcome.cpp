#include "setup/Welcome.h"

#include <windows.h>

#include "classlib/SysUtils.h"
#include "classlib/WinSys.h"
#include "common/uCustomModule.h"
#include "setup/DataExpress.h"

TfrmWelcome* frmWelcome = nullptr;

const char* const SCancelSetup =
    "Setup is not complete. If you quit now, the program will not be install. \r\n"
    "You may run the setup program again at the another time to complete installation.\r\n"
    "Exit Setup?";

DP_PUBLISHED(TfrmWelcome){
    DP_FIELD(pn1),
    DP_FIELD(pn2),
    DP_FIELD(pn3),
    DP_FIELD(pn4),
    DP_FIELD(pn5),
    DP_FIELD(lblMsg),
    DP_FIELD(lblMsg2),
    DP_FIELD(Label1),
    DP_FIELD(Label2),
    DP_FIELD(Label10),
    DP_FIELD(lblAuthor),
    DP_FIELD(Label12),
    DP_FIELD(lblEmail),
    DP_FIELD(s),
    DP_FIELD(lblWebsite),
    DP_FIELD(btn1Defaul),
    DP_FIELD(Button2),
    DP_FIELD(Label6),
    DP_FIELD(lblMsg21),
    DP_FIELD(lblMsg22),
    DP_FIELD(Label4),
    DP_FIELD(edtPath),
    DP_FIELD(Button4),
    DP_FIELD(Button6),
    DP_FIELD(btn2Defaul),
    DP_FIELD(Button5),
    DP_FIELD(lblMsg31),
    DP_FIELD(Label11),
    DP_FIELD(Label3),
    DP_FIELD(Memo1),
    DP_FIELD(Button10),
    DP_FIELD(btn3Defaul),
    DP_FIELD(Button9),
    DP_FIELD(lblMsg411),
    DP_FIELD(lblMsg41),
    DP_FIELD(Label8),
    DP_FIELD(lblMsg42),
    DP_FIELD(ProgressBar1),
    DP_FIELD(Button11),
    DP_FIELD(lblMsg51),
    DP_FIELD(lblMsg52),
    DP_FIELD(Label14),
    DP_FIELD(btn5Defaul),
    DP_METHOD(FormCreate),
    DP_METHOD(FormCloseQuery),
    DP_METHOD(btn1DefaulClick),
    DP_METHOD(Button4Click),
    DP_METHOD(Button6Click),
    DP_METHOD(btn2DefaulClick),
    DP_METHOD(Button10Click),
    DP_METHOD(btn3DefaulClick),
    DP_METHOD(btn5DefaulClick),
    DP_METHOD(lblWebsiteClick),
    DP_METHOD(lblEmailClick),
    DP_METHOD(Button2Click),
    DP_METHOD(Button5Click),
    DP_METHOD(Button9Click),
    DP_METHOD(Button11Click),
};

bool IsFullInstallPath(const std::string& path) {
    auto isSep = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
        path[1] == ':' && isSep(path[2]))
        return true;
    // \\server\share: both parts present.
    if (path.size() >= 5 && isSep(path[0]) && isSep(path[1])) {
        const size_t serverEnd = path.find_first_of("\\/", 2);
        if (serverEnd == std::string::npos || serverEnd == 2) return false;
        const size_t shareEnd = path.find_first_of("\\/", serverEnd + 1);
        return (shareEnd == std::string::npos ? path.size() : shareEnd) > serverEnd + 1;
    }
    return false;
}

std::string TfrmWelcome::ProgramName() const { return Pack ? Pack->GetProgramName() : std::string(); }

void TfrmWelcome::FormCreate(TObject*) { pn1->BringToFront(); }

void TfrmWelcome::FormCloseQuery(TObject*, bool& CanClose) {
    if (ModalResult() == mrCancel && !AskYesNo(Handle(), SCancelSetup)) CanClose = false;
}

void TfrmWelcome::btn1DefaulClick(TObject*) {
    const std::string n = ProgramName();
    lblMsg21->SetCaption("Where should " + n + " be installed");
    lblMsg22->SetCaption("Setup will install " + n + " into the following folder.");
    edtPath->SetText("C:\\Program Files\\" + n);
    btn2Defaul->SetFocus();
    pn2->BringToFront();
}

void TfrmWelcome::Button4Click(TObject*) {
    const std::string dir = BrowseForFolder("Browse For Folder", edtPath->Text());
    if (!Trim(dir).empty()) edtPath->SetText(dir);
}

void TfrmWelcome::Button6Click(TObject*) {
    pn1->BringToFront();
    btn1Defaul->SetFocus();
}

void TfrmWelcome::btn2DefaulClick(TObject*) {
    const std::string path = edtPath->Text();
    // An install needs a folder on a drive or share: a relative path would land
    // wherever setup happens to be started from.
    if (!IsFullInstallPath(path)) {
        Application->MessageBox(
            "Please enter the full path of the destination folder, for example C:\\Program Files\\" + ProgramName() +
                ".",
            Application->Title(), MB_OK | MB_ICONWARNING);
        edtPath->SetFocus();
        return;
    }
    const std::string n = ProgramName();
    Pack->SetInstallDir(path);
    lblMsg31->SetCaption("Setup is now ready to begin installing " + n + " on your computer");
    TStrings* lines = Memo1->Lines();
    lines->Clear();
    lines->Add("Destination location:");
    lines->Add("     " + path);
    lines->Add(" ");
    lines->Add("Start Menu folder:");
    lines->Add("     " + n);
    btn3Defaul->SetFocus();
    pn3->BringToFront();
}

void TfrmWelcome::Button10Click(TObject*) {
    pn2->BringToFront();
    btn2Defaul->SetFocus();
}

void TfrmWelcome::btn3DefaulClick(TObject*) {
    const std::string n = ProgramName();
    lblMsg41->SetCaption("Please wait while Setup installs " + n + " on your computer.");
    ProgressBar1->SetMax(Pack->GetStepCount());
    Pack->SetOnStep([this](TObject* sender, int step, const std::string& text) { DoStep(sender, step, text); });
    pn4->BringToFront();
    // Keys typed during the run reach no button; Escape still finds Cancel.
    pn4->SetFocus();
    // A failed run has undone itself; the wizard stays on this page with its
    // error reported by the application, and Cancel is what is left to press.
    try {
        Pack->Install();
    } catch (...) {
        Button11->SetFocus();
        throw;
    }
    lblMsg51->SetCaption("Completing the " + n + " Setup Wizard");
    lblMsg52->SetCaption("Setup has finished installing " + n + " on your computer. ");
    btn5Defaul->SetFocus();
    pn5->BringToFront();
    OnCloseQuery = nullptr;
}

void TfrmWelcome::DoStep(TObject*, int Setupit, const std::string& Text) {
    lblMsg42->SetCaption(Text);
    ProgressBar1->SetPosition(Setupit);
}

void TfrmWelcome::btn5DefaulClick(TObject*) { SetModalResult(mrOk); }

void TfrmWelcome::lblWebsiteClick(TObject*) {
    ShellExecuteText(Handle(), "", lblWebsite->Caption(), "", "", SW_SHOWNORMAL);
}

void TfrmWelcome::lblEmailClick(TObject*) {
    ShellExecuteText(Handle(), "open", "mailto:" + lblEmail->Caption(), "", "", SW_SHOWNORMAL);
}

void TfrmWelcome::Button2Click(TObject*) { SetModalResult(mrCancel); }
void TfrmWelcome::Button5Click(TObject*) { SetModalResult(mrCancel); }
void TfrmWelcome::Button9Click(TObject*) { SetModalResult(mrCancel); }
void TfrmWelcome::Button11Click(TObject*) { SetModalResult(mrCancel); }

bool ShowWelcome(TExpressPack* pack) {
    frmWelcome = NewForm<TfrmWelcome>(nullptr);
    // The texts that carry the program name show an "&" in it as it is, not as an underline.
    for (TLabel* l : {frmWelcome->lblMsg, frmWelcome->lblMsg2, frmWelcome->lblMsg21, frmWelcome->lblMsg22,
                      frmWelcome->lblMsg31, frmWelcome->lblMsg41, frmWelcome->lblMsg51, frmWelcome->lblMsg52})
        if (l) l->SetShowAccelChar(false);
    const std::string n = pack->GetProgramName();
    frmWelcome->SetCaption("Setup  - " + n);
    frmWelcome->lblMsg->SetCaption("Welcome to " + n + " setup wizard");
    frmWelcome->lblMsg2->SetCaption("It will setup " + n + " on your computer.");
    frmWelcome->Pack = pack;
    frmWelcome->lblEmail->SetCaption(pack->GetEmail());
    frmWelcome->lblWebsite->SetCaption(pack->GetWebSite());
    frmWelcome->lblAuthor->SetCaption(pack->GetAuthor());
    return frmWelcome->ShowModal() == mrOk;
}

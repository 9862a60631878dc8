#include "setup/Welcome.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "classlib/SysUtils.h"
#include "classlib/WinSys.h"
#include "common/uCustomModule.h"
#include "setup/DataExpress.h"
#include "setup/InstallPath.h"
#include "setup/NameFit.h"

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

namespace {
// The longest install folder that leaves room for every file the package puts below it.
size_t LongestInstallFolder(const TExpressPack& pack) {
    size_t below = std::strlen("\\uninstall001.dat");
    for (const TPackFileRec& rec : pack.FileRecords()) {
        if (GetPackText(rec.Root) != RootInstallDir) continue;
        const std::string sub = GetPackText(rec.SubFolder);
        below = std::max(below, (sub.empty() ? 0 : sub.size() + 1) + 1 + GetPackText(rec.FileName).size());
    }
    // The ANSI file functions take paths of at most MAX_PATH - 1 characters.
    return below >= MAX_PATH - 1 ? 0 : std::min(kMaxFolderPath, static_cast<size_t>(MAX_PATH - 1) - below);
}

// How long after the install a new window of another program is kept from covering the wizard.
constexpr DWORD kFrontGuardMs = 10000;

BOOL CALLBACK AddWindow(HWND w, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
}

std::vector<HWND> TopWindowsNow() {
    std::vector<HWND> list;
    EnumWindows(AddWindow, reinterpret_cast<LPARAM>(&list));
    return list;
}

// A text with the program name in it, fitted to its label's box: wrapped, and the name cut
// short only where the whole would not fit. An "&" of the name is shown as it is.
void SetNameCaption(TLabel* label, const std::string& before, const std::string& name, const std::string& after) {
    label->SetShowAccelChar(false);
    const UINT flags = DT_EXPANDTABS | (label->WordWrap() ? DT_WORDBREAK : 0);
    label->SetCaption(FitName(label->Font()->Handle(), flags, label->Width(), label->Height(), before, name, after));
}
}  // namespace

std::string TfrmWelcome::ProgramName() const { return Pack ? Pack->GetProgramName() : std::string(); }

void TfrmWelcome::FormCreate(TObject*) { pn1->BringToFront(); }

void TfrmWelcome::FormCloseQuery(TObject*, bool& CanClose) {
    if (ModalResult() == mrCancel && !AskYesNo(Handle(), SCancelSetup)) CanClose = false;
}

void TfrmWelcome::btn1DefaulClick(TObject*) {
    const std::string n = ProgramName();
    SetNameCaption(lblMsg21, "Where should ", n, " be installed");
    SetNameCaption(lblMsg22, "Setup will install ", n, " into the following folder.");
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
    const std::string n = ProgramName();
    // An install needs a folder Windows can make on a drive or share: a relative path would
    // land wherever setup happens to be started from, a reserved name or character nowhere.
    const std::string fault = InstallPathFault(path, n, LongestInstallFolder(*Pack));
    if (!fault.empty()) {
        Application->MessageBox(fault, Application->Title(), MB_OK | MB_ICONWARNING);
        edtPath->SetFocus();
        return;
    }
    Pack->SetInstallDir(path);
    SetNameCaption(lblMsg31, "Setup is now ready to begin installing ", n, " on your computer");
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
    SetNameCaption(lblMsg41, "Please wait while Setup installs ", n, " on your computer.");
    ProgressBar1->SetMax(Pack->GetStepCount());
    Pack->SetOnStep([this](TObject* sender, int step, const std::string& text) { DoStep(sender, step, text); });
    pn4->BringToFront();
    // Keys typed during the run reach no button; Escape still finds Cancel.
    pn4->SetFocus();
    FWindowsBefore = TopWindowsNow();
    // A failed run has undone itself; the wizard stays on this page with its
    // error reported by the application, and Cancel is what is left to press.
    try {
        Pack->Install();
    } catch (...) {
        Button11->SetFocus();
        throw;
    }
    SetNameCaption(lblMsg51, "Completing the ", n, " Setup Wizard");
    SetNameCaption(lblMsg52, "Setup has finished installing ", n, " on your computer. ");
    btn5Defaul->SetFocus();
    pn5->BringToFront();
    OnCloseQuery = nullptr;
    if (!FFrontGuard) {
        FFrontGuard = new TTimer(this);
        FFrontGuard->SetInterval(100);
        FFrontGuard->OnTimer = [this](TObject* sender) { KeepInFront(sender); };
    }
    FGuardEnd = GetTickCount() + kFrontGuardMs;
    FFrontGuard->SetEnabled(true);
    KeepInFront(this);
}

void TfrmWelcome::KeepInFront(TObject*) {
    if (static_cast<int32_t>(GetTickCount() - FGuardEnd) >= 0 || !Visible()) {
        FFrontGuard->SetEnabled(false);
        return;
    }
    HWND front = GetForegroundWindow();
    if (!front || front == Handle() || !IsWindowVisible(Handle())) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(front, &pid);
    if (pid == GetCurrentProcessId()) return;
    // One the user had open before is the user's choice.
    for (HWND w : FWindowsBefore)
        if (w == front) return;
    SetForegroundWindow(Handle());
    btn5Defaul->SetFocus();
}

void TfrmWelcome::DoStep(TObject*, int Setupit, const std::string& Text) {
    // A step names a file or folder: its own name stays readable however deep the path.
    lblMsg42->SetShowAccelChar(false);
    lblMsg42->SetCaption(FitPath(lblMsg42->Font()->Handle(), lblMsg42->Width(), lblMsg42->Height(), Text));
    ProgressBar1->SetPosition(Setupit);
}

void TfrmWelcome::btn5DefaulClick(TObject*) { SetModalResult(mrOk); }

void TfrmWelcome::lblWebsiteClick(TObject*) {
    ShellExecuteText(Handle(), "", Pack->GetWebSite(), "", "", SW_SHOWNORMAL);
}

void TfrmWelcome::lblEmailClick(TObject*) {
    ShellExecuteText(Handle(), "open", "mailto:" + Pack->GetEmail(), "", "", SW_SHOWNORMAL);
}

void TfrmWelcome::Button2Click(TObject*) { SetModalResult(mrCancel); }
void TfrmWelcome::Button5Click(TObject*) { SetModalResult(mrCancel); }
void TfrmWelcome::Button9Click(TObject*) { SetModalResult(mrCancel); }
void TfrmWelcome::Button11Click(TObject*) { SetModalResult(mrCancel); }

bool ShowWelcome(TExpressPack* pack) {
    frmWelcome = NewForm<TfrmWelcome>(nullptr);
    const std::string n = pack->GetProgramName();
    frmWelcome->SetCaption("Setup  - " + n);
    SetNameCaption(frmWelcome->lblMsg, "Welcome to ", n, " setup wizard");
    SetNameCaption(frmWelcome->lblMsg2, "It will setup ", n, " on your computer.");
    frmWelcome->Pack = pack;
    // On one line each, shortened where they must be; a click still takes the whole address.
    SetNameCaption(frmWelcome->lblEmail, "", pack->GetEmail(), "");
    SetNameCaption(frmWelcome->lblWebsite, "", pack->GetWebSite(), "");
    SetNameCaption(frmWelcome->lblAuthor, "", pack->GetAuthor(), "");
    return frmWelcome->ShowModal() == mrOk;
}

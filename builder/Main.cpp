#include "builder/Main.h"

#include <windows.h>

#include "builder/About.h"
#include "builder/MySetup.h"
#include "builder/tips.h"
#include "classlib/Jpeg.h"
#include "classlib/Registry.h"
#include "classlib/SysUtils.h"
#include "classlib/WinSys.h"
#include "common/uCustomModule.h"

TfrmMain* frmMain = nullptr;

DP_PUBLISHED(TfrmMain){
    DP_FIELD(PageControl1),
    DP_FIELD(TabSheet1),
    DP_FIELD(TabSheet2),
    DP_FIELD(TabSheet3),
    DP_FIELD(GroupBox1),
    DP_FIELD(Label3),
    DP_FIELD(edtWallpaperName),
    DP_FIELD(Label1),
    DP_FIELD(edtFlashfileName),
    DP_FIELD(Button1),
    DP_FIELD(Image20),
    DP_FIELD(ShockwaveFlash1),
    DP_FIELD(GroupBox2),
    DP_FIELD(Label4),
    DP_FIELD(CbbMoveQuality),
    DP_FIELD(Label5),
    DP_FIELD(cbbMovieSize),
    DP_FIELD(Label2),
    DP_FIELD(cbbMoviePosition),
    DP_FIELD(lblLeft),
    DP_FIELD(edtLeft),
    DP_FIELD(lblTop),
    DP_FIELD(edtTop),
    DP_FIELD(lblRight),
    DP_FIELD(edtRight),
    DP_FIELD(lblBFH1),
    DP_FIELD(lblBottom),
    DP_FIELD(edtBottom),
    DP_FIELD(lblBFH2),
    DP_FIELD(CheckBox1),
    DP_FIELD(CheckBox2),
    DP_FIELD(Label11),
    DP_FIELD(cbbYAlignment),
    DP_FIELD(Label10),
    DP_FIELD(cbbXAlignment),
    DP_FIELD(GroupBox3),
    DP_FIELD(Label8),
    DP_FIELD(edtBackGroundPicture),
    DP_FIELD(Button2),
    DP_FIELD(Label9),
    DP_FIELD(cbbBKPosition),
    DP_FIELD(Label7),
    DP_FIELD(BkGroundColor),
    DP_FIELD(GroupBox4),
    DP_FIELD(Label17),
    DP_FIELD(edtAuthor),
    DP_FIELD(Label19),
    DP_FIELD(edtEmail),
    DP_FIELD(Label20),
    DP_FIELD(edtWebSite),
    DP_FIELD(Panel2),
    DP_FIELD(btnPreview),
    DP_FIELD(btnBuild),
    DP_FIELD(btnPublish),
    DP_FIELD(MainMenu1),
    DP_FIELD(File1),
    DP_FIELD(Open1),
    DP_FIELD(OpenProject1),
    DP_FIELD(SaveProject1),
    DP_FIELD(Saveas1),
    DP_FIELD(N1),
    DP_FIELD(exit1),
    DP_FIELD(View1),
    DP_FIELD(mPreview1),
    DP_FIELD(ActiveWallpaper1),
    DP_FIELD(CreateInstaller1),
    DP_FIELD(Help1),
    DP_FIELD(Contect1),
    DP_FIELD(QuitStart1),
    DP_FIELD(N2),
    DP_FIELD(Get1),
    DP_FIELD(VistourWebsite1),
    DP_FIELD(N3),
    DP_FIELD(About1),
    DP_FIELD(OpenDialog1),
    DP_FIELD(OpenPictureDialog1),
    DP_FIELD(ColorDialog1),
    DP_FIELD(OpenDialog2),
    DP_FIELD(SaveDialog1),
    DP_FIELD(SaveDialog2),
    DP_FIELD(SkinData1),
    DP_METHOD(FormCreate),
    DP_METHOD(FormActivate),
    DP_METHOD(FormDestroy),
    DP_METHOD(FormCloseQuery),
    DP_METHOD(FormClose),
    DP_METHOD(WallpaperChange),
    DP_METHOD(cbbMoviePositionChange),
    DP_METHOD(edtLeftKeyPress),
    DP_METHOD(Button1Click),
    DP_METHOD(Button2Click),
    DP_METHOD(BkGroundColorMouseUp),
    DP_METHOD(Open1Click),
    DP_METHOD(OpenProject1Click),
    DP_METHOD(SaveProject1Click),
    DP_METHOD(Saveas1Click),
    DP_METHOD(exit1Click),
    DP_METHOD(btnPreviewClick),
    DP_METHOD(btnBuildClick),
    DP_METHOD(btnPublishClick),
    DP_METHOD(Contect1Click),
    DP_METHOD(QuitStart1Click),
    DP_METHOD(Get1Click),
    DP_METHOD(VistourWebsite1Click),
    DP_METHOD(About1Click),
};

namespace {

constexpr const char* CaptionPrefix = "Driftpane Maker 2.07-";

std::string ProgramFolder() { return ExtractFilePath(GetModuleFileNameStr()); }

// A list value as the model takes it: one unsigned byte, no selection is 255.
uint8_t ListValue(TComboBox* box) { return static_cast<uint8_t>(box->ItemIndex() & 0xFF); }

void SelectStored(TComboBox* box, int value) {
    box->SetItemIndex(value >= 0 && value < box->Items()->Count() ? value : -1);
}

std::string OrDefault(const std::string& text, const char* fallback) {
    return Trim(text).empty() ? std::string(fallback) : text;
}

int32_t FieldNumber(TEdit* edit) {
    const std::string text = edit->Text();
    return text.empty() ? 0 : StrToInt(text);
}

// The key is opened for writing (created when missing); a user without the
// rights still reads what is there.
bool OpenBuilderKey(TRegistry& reg) {
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    try {
        if (reg.OpenKey(BuilderRegKey, true)) return true;
    } catch (const Exception&) {
    }
    return reg.OpenKeyReadOnly(BuilderRegKey);
}

// Missing, unreadable or of another type: the default.
bool ReadBuilderBool(const char* name, bool fallback) {
    try {
        TRegistry reg;
        if (!OpenBuilderKey(reg)) return fallback;
        return reg.ReadBool(name);
    } catch (const Exception&) {
        return fallback;
    }
}

}  // namespace

TfrmMain::TfrmMain(TComponent* owner) : TForm(owner) {}

TfrmMain::~TfrmMain() = default;

// ---------------------------------------------------------------------------
// Transfer between the controls and the model

void TfrmMain::SyncSettings(bool toModel) {
    TDriftpaneClass& m = *m_model;
    if (!toModel) {
        m_loading = true;
        try {
            edtWallpaperName->SetText(m.WallPaperName);
            edtAuthor->SetText(m.Author);
            edtEmail->SetText(m.Email);
            edtWebSite->SetText(m.Website);
            edtFlashfileName->SetText(m.FlashFile);
            SelectStored(cbbMoviePosition, m.MoviePosition);
            edtLeft->SetText(IntToStr(m.MovieLeft));
            edtTop->SetText(IntToStr(m.MovieTop));
            edtRight->SetText(IntToStr(m.MovieRight));
            edtBottom->SetText(IntToStr(m.MovieBottom));
            SelectStored(CbbMoveQuality, m.MovieQuality);
            SelectStored(cbbMovieSize, m.MovieSize);
            SelectStored(cbbYAlignment, m.MovieHAligment);
            SelectStored(cbbXAlignment, m.MovieVAligment);
            edtBackGroundPicture->SetText(m.BackgroundPic);
            SelectStored(cbbBKPosition, m.WallPaperPosition);
            BkGroundColor->Brush()->SetColor(m.BackgroundColor);
            CheckBox1->SetChecked(m.Loop);
            CheckBox2->SetChecked(m.MuteFlashSound);
            cbbMoviePositionChange(nullptr);
        } catch (...) {
            m_loading = false;
            throw;
        }
        m_loading = false;
        return;
    }

    m.SetWallPaperName(OrDefault(edtWallpaperName->Text(), "Driftpane Maker"));
    m.SetAuthor(OrDefault(edtAuthor->Text(), "Orvell"));
    m.SetEmail(OrDefault(edtEmail->Text(), MakerSalesEmail));
    m.SetWebsite(OrDefault(edtWebSite->Text(), MakerWebSite));
    m.SetFlashFile(edtFlashfileName->Text());
    m.SetMovieQuality(ListValue(CbbMoveQuality));
    m.SetMovieSize(ListValue(cbbMovieSize));
    m.SetMovieHAligment(ListValue(cbbYAlignment));
    m.SetMovieVAligment(ListValue(cbbXAlignment));
    m.SetBackgroundPic(edtBackGroundPicture->Text());
    m.SetWallPaperPosition(ListValue(cbbBKPosition));
    m.SetBackgroundColor(BkGroundColor->Brush()->Color());
    m.SetMoviePosition(ListValue(cbbMoviePosition));
    m.SetMovieLeft(FieldNumber(edtLeft));
    m.SetMovieTop(FieldNumber(edtTop));
    m.SetMovieRight(FieldNumber(edtRight));
    m.SetMovieBottom(FieldNumber(edtBottom));
    m.SetLoop(CheckBox1->Checked());
    m.SetMuteFlashSound(CheckBox2->Checked());
}

void TfrmMain::ResetControls() {
    edtWallpaperName->SetText("New Project");
    edtFlashfileName->SetText("");
    CbbMoveQuality->SetItemIndex(CbbMoveQuality->Items()->IndexOf("High"));
    cbbMovieSize->SetItemIndex(1);
    cbbMoviePosition->SetItemIndex(0);
    edtBackGroundPicture->SetText("");
    cbbBKPosition->SetItemIndex(-1);
    edtAuthor->SetText("Orvell");
    edtEmail->SetText(MakerSalesEmail);
    edtWebSite->SetText(MakerWebHost);
    edtLeft->SetText("");
    edtTop->SetText("");
    edtRight->SetText("");
    edtBottom->SetText("");
    BkGroundColor->Brush()->SetColor(clBlack);
    CheckBox1->SetChecked(true);
    SetCustomFieldsEnabled(false);
}

void TfrmMain::SetCustomFieldsEnabled(bool enabled) {
    for (TControl* c : std::initializer_list<TControl*>{lblLeft, edtLeft, lblTop, edtTop, lblRight, edtRight, lblBottom,
                                                        edtBottom, lblBFH1, lblBFH2})
        c->SetEnabled(enabled);
}

void TfrmMain::LoadMovie(const std::string& path) {
    ShockwaveFlash1->Stop();
    if (FileExists(path)) {
        ShockwaveFlash1->SetMovie(path);
        ShockwaveFlash1->Play();
    }
}

void TfrmMain::MarkModified() {
    m_modified = true;
    SetCaption(CaptionPrefix + ExtractFileName(m_model ? m_model->ProjectFile : std::string()) + "*");
}

void TfrmMain::ShowProjectCaption(const std::string& projectFile) {
    SetCaption(CaptionPrefix + ExtractFileName(projectFile));
}

void TfrmMain::WallpaperChange(TObject*) {
    if (!m_loading) MarkModified();
}

void TfrmMain::cbbMoviePositionChange(TObject*) {
    SetCustomFieldsEnabled(cbbMoviePosition->ItemIndex() == 10);
    if (!m_loading) MarkModified();
}

void TfrmMain::edtLeftKeyPress(TObject*, char& Key) {
    if (!((Key >= '0' && Key <= '9') || Key == 13)) Key = 0;
}

// ---------------------------------------------------------------------------
// Pickers

void TfrmMain::Button1Click(TObject*) {
    if (!OpenDialog1->Execute()) return;
    edtFlashfileName->SetText(OpenDialog1->FileName());
    LoadMovie(edtFlashfileName->Text());
}

void TfrmMain::Button2Click(TObject*) {
    if (OpenPictureDialog1->Execute()) edtBackGroundPicture->SetText(OpenPictureDialog1->FileName());
}

void TfrmMain::BkGroundColorMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    if (!ColorDialog1->Execute()) return;
    BkGroundColor->Brush()->SetColor(ColorDialog1->Color());
    m_modified = true;
}

// ---------------------------------------------------------------------------
// Start-up and closing

void TfrmMain::FormCreate(TObject*) {
    m_loading = false;
    m_modified = false;
    m_model = std::make_unique<TDriftpaneClass>();
    SetCaption(ProductTitle);
    try {
        StartProject();
    } catch (const Exception&) {
        Application->HandleException(this);
    }
}

void TfrmMain::StartProject() {
    TRegistry reg;
    const bool keyOpen = OpenBuilderKey(reg);
    std::string last;
    if (keyOpen) {
        try {
            last = reg.ReadString("Quest2");
        } catch (const Exception&) {
            last.clear();  // of another type: no last project
        }
    }
    if (!last.empty() && FileExists(last)) {
        m_model->LoadFromFile(last);
        ShowProjectCaption(last);
        SyncSettings(false);
        LoadMovie(edtFlashfileName->Text());
        return;
    }

    bool firstStart = true;
    try {
        if (!keyOpen) throw Exception("no key");
        firstStart = reg.ReadBool("Quest1");
    } catch (const Exception&) {
        firstStart = true;
        try {
            if (keyOpen) reg.WriteBool("Quest1", false);
        } catch (const Exception&) {
            // a user without rights under HKEY_LOCAL_MACHINE still gets the program
        }
    }
    if (!firstStart) return;

    const std::string dir = ProgramFolder();
    ResetControls();
    edtFlashfileName->SetText(dir + "sample.swf");
    SyncSettings(true);
    m_model->SaveToFile(dir + "sample.dpb");
    SetCaption(std::string(CaptionPrefix) + "sample.dpb");
    LoadMovie(edtFlashfileName->Text());
}

void TfrmMain::FormActivate(TObject*) {
    static bool offered = false;  // the tips belong to the start, not to every return to the window
    if (offered) return;
    offered = true;
    ShowTipsOnStart();
}

void TfrmMain::FormDestroy(TObject*) { m_model.reset(); }

void TfrmMain::FormCloseQuery(TObject*, bool& CanClose) { CanClose = CheckSave(); }

void TfrmMain::FormClose(TObject*, TCloseAction&) {
    if (btnPreview->Tag() == 1) {
        try {
            m_model->RestoreWallpaper();
        } catch (const Exception&) {
            Application->HandleException(this);
        }
    }
    try {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (reg.OpenKey(BuilderRegKey, true)) reg.WriteString("Quest2", m_model->ProjectFile);
    } catch (const Exception&) {
        // without rights under HKEY_LOCAL_MACHINE the window still closes
    }
}

void TfrmMain::exit1Click(TObject*) { Close(); }

// ---------------------------------------------------------------------------
// Projects

bool TfrmMain::CheckSave() {
    if (!m_modified) return true;
    if (AskYesNo(Handle(), "The current wallpaper has been modified and not save,save it now?")) {
        SyncSettings(true);
        if (!m_model->Save()) {
            if (!SaveDialog1->Execute()) return false;
            m_model->SaveToFile(SaveDialog1->FileName());
        }
    }
    m_modified = false;
    return true;
}

void TfrmMain::Open1Click(TObject*) {
    if (!CheckSave()) return;
    m_model->Clear();
    SetCaption("Driftpane Maker 2.07 -  New Project");
    ShockwaveFlash1->Stop();
    ResetControls();
    m_modified = true;
}

void TfrmMain::OpenProject1Click(TObject*) {
    if (!CheckSave()) return;
    if (!OpenDialog2->Execute()) return;
    const std::string file = OpenDialog2->FileName();
    m_model->LoadFromFile(file);
    ShowProjectCaption(file);
    SyncSettings(false);
    LoadMovie(edtFlashfileName->Text());
    m_modified = false;
}

void TfrmMain::SaveProject1Click(TObject*) {
    SyncSettings(true);
    if (m_model->Save()) {
        ShowProjectCaption(m_model->ProjectFile);
        m_modified = false;
        return;
    }
    if (!SaveDialog1->Execute()) return;
    m_model->SaveToFile(SaveDialog1->FileName());
    ShowProjectCaption(SaveDialog1->FileName());
    m_modified = false;
}

void TfrmMain::Saveas1Click(TObject*) {
    if (!SaveDialog1->Execute()) return;
    SyncSettings(true);
    m_model->SaveToFile(SaveDialog1->FileName());
    ShowProjectCaption(SaveDialog1->FileName());
    m_modified = false;
}

// ---------------------------------------------------------------------------
// Actions

void TfrmMain::Message(const std::string& text) { ShowMessage(text); }

bool TfrmMain::CheckInputs(TCheckVariant variant) {
    const bool preview = variant == TCheckVariant::Preview;
    const std::string movie = edtFlashfileName->Text();
    if (Trim(movie).empty()) {
        Message(preview ? "Please select the flash movie file." : "Please select the flash movie name.");
        return false;
    }
    if (!FileExists(preview ? Trim(movie) : movie)) {
        Message(preview ? "flash file do not exists." : "Flash file do not exists.");
        return false;
    }
    const std::string picture = edtBackGroundPicture->Text();
    if (!Trim(picture).empty() && !FileExists(picture)) {
        Message("picture file do not exists.");
        return false;
    }
    return true;
}

void TfrmMain::btnPreviewClick(TObject*) {
    const int32_t state = btnPreview->Tag();
    if (state != 0) {
        m_model->RestoreWallpaper();
        btnPreview->SetCaption("&Preview");
        mPreview1->SetCaption(btnPreview->Caption());
        btnPreview->SetTag(1 - state);
        return;
    }
    if (!CheckInputs(TCheckVariant::Preview)) return;
    SyncSettings(true);
    m_model->Preview();
    // Posted, so the window minimises once the handler has finished; only after a
    // preview that worked, or the error box would go down with its window.
    PostMessageA(Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    btnPreview->SetCaption("&Cancel");
    mPreview1->SetCaption(btnPreview->Caption());
    btnPreview->SetTag(1 - state);
}

void TfrmMain::btnBuildClick(TObject*) {
    if (!CheckInputs(TCheckVariant::Other)) return;
    SyncSettings(true);
    m_model->Activate();
}

void TfrmMain::btnPublishClick(TObject*) {
    if (!CheckInputs(TCheckVariant::Other)) return;
    // The name becomes the page's file name and the installer's folder and link names.
    const std::string problem = WallpaperNameProblem(OrDefault(edtWallpaperName->Text(), "Driftpane Maker"));
    if (!problem.empty()) {
        Message(problem);
        return;
    }
    if (!SaveDialog2->Execute()) return;
    const std::string target = SaveDialog2->FileName();
    if (FileExists(target) &&
        !AskYesNo(Handle(), Format("File %s is already in existence,are you sure to replace it?", target.c_str())))
        return;
    BuildInstaller(target);
}

void TfrmMain::BuildInstaller(const std::string& target) {
    SyncSettings(true);
    TDriftpaneClass& m = *m_model;
    const std::string dir = ProgramFolder();
    const std::string page = dir + m.WallPaperName + ".html";
    const std::string movie = dir + ExtractFileName(m.FlashFile);
    const std::string picture = dir + ExtractFileName(m.BackgroundPic);
    m.PublishPage(page, false);

    std::unique_ptr<TMySetup> setup(new TMySetup(this));
    setup->SetProgramName(m.WallPaperName);
    setup->SetAuthor(m.Author);
    setup->SetWebsite(m.Website);
    setup->SetEmail(m.Email);
    setup->AddFile(page, "InstallDir", "");
    setup->AddFile(movie, "InstallDir", "");
    if (!ExtractFileName(m.BackgroundPic).empty() && FileExists(picture)) setup->AddFile(picture, "InstallDir", "");
    setup->AddDirectory("InstallDir", "");
    setup->AddLink(0, "InstallDir", "", "", m.WallPaperName);
    setup->AddLink(4, "InstallDir", "", m.WallPaperName + ".html", "");
    if (!setup->CreateSetup(target)) Message(setup->ErrorText());
}

// ---------------------------------------------------------------------------
// Help menu

void TfrmMain::Contect1Click(TObject*) {
    const std::string help = ProgramFolder() + "help.chm";
    if (!FileExists(help)) return;
    // Quoted: the program's folder may hold blanks.
    StartProcess("hh.exe \"" + help + "\"", SW_SHOWNORMAL);
}

void TfrmMain::QuitStart1Click(TObject*) { ShowTips(); }

void TfrmMain::Get1Click(TObject*) {
    ShellExecuteText(Handle(), "", std::string("mailto:") + MakerSupportEmail, "", "", SW_SHOWNORMAL);
}

void TfrmMain::VistourWebsite1Click(TObject*) { ShellExecuteText(Handle(), "", MakerWebSite, "", "", SW_SHOWNORMAL); }

void TfrmMain::About1Click(TObject*) {
    TfrmAbout* about = NewForm<TfrmAbout>(Application);
    try {
        about->ShowModal();
    } catch (...) {
        about->Free();
        throw;
    }
    about->Free();
}

// ---------------------------------------------------------------------------
// Tips at start and from the Help menu

namespace {
void ShowTipsDialog(bool onStart) {
    const bool show = ReadBuilderBool("Tips", true);
    if (onStart && !show) return;
    TfrmTips* tips = NewForm<TfrmTips>(Application);
    try {
        tips->CheckBox1->SetChecked(show);
        tips->ShowModal();
    } catch (...) {
        tips->Free();
        throw;
    }
    tips->Free();
}
}  // namespace

void ShowTips() { ShowTipsDialog(false); }
void ShowTipsOnStart() { ShowTipsDialog(true); }

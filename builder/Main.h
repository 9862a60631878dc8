// The builder's main window: three settings pages, the action buttons, the
// main menu and the live movie preview. The only place where settings move
// between the controls and the wallpaper model.
#pragma once

#include <memory>
#include <string>

#include "builder/WallPaperClass.h"
#include "classlib/ComCtrls.h"
#include "classlib/Dialogs.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "classlib/OleCtrls.h"
#include "classlib/StdCtrls.h"
#include "common/WallpaperName.h"
#include "skin/TinselData.h"

// The maker's addresses, shown as defaults and in the Help menu.
constexpr const char* MakerSalesEmail = "sales@driftpane.example.com";
constexpr const char* MakerSupportEmail = "support@driftpane.example.com";
constexpr const char* MakerWebHost = "www.driftpane.example.com";
constexpr const char* MakerWebSite = "http://www.driftpane.example.com";

constexpr const char* ProductTitle = "Driftpane Maker 2.07";
// Where the builder keeps its three values, under HKEY_LOCAL_MACHINE.
constexpr const char* BuilderRegKey = "\\software\\Kestrow\\";

class TfrmMain : public TForm {
    DP_DECLARE_CLASS(TfrmMain, TForm)
public:
    explicit TfrmMain(TComponent* owner);
    ~TfrmMain() override;

    // --- controls of the stored definition
    TPageControl* PageControl1 = nullptr;
    TTabSheet* TabSheet1 = nullptr;
    TTabSheet* TabSheet2 = nullptr;
    TTabSheet* TabSheet3 = nullptr;
    TGroupBox* GroupBox1 = nullptr;
    TLabel* Label3 = nullptr;
    TEdit* edtWallpaperName = nullptr;
    TLabel* Label1 = nullptr;
    TEdit* edtFlashfileName = nullptr;
    TButton* Button1 = nullptr;
    TImage* Image20 = nullptr;
    TShockwaveFlash* ShockwaveFlash1 = nullptr;
    TGroupBox* GroupBox2 = nullptr;
    TLabel* Label4 = nullptr;
    TComboBox* CbbMoveQuality = nullptr;
    TLabel* Label5 = nullptr;
    TComboBox* cbbMovieSize = nullptr;
    TLabel* Label2 = nullptr;
    TComboBox* cbbMoviePosition = nullptr;
    TLabel* lblLeft = nullptr;
    TEdit* edtLeft = nullptr;
    TLabel* lblTop = nullptr;
    TEdit* edtTop = nullptr;
    TLabel* lblRight = nullptr;
    TEdit* edtRight = nullptr;
    TLabel* lblBFH1 = nullptr;
    TLabel* lblBottom = nullptr;
    TEdit* edtBottom = nullptr;
    TLabel* lblBFH2 = nullptr;
    TCheckBox* CheckBox1 = nullptr;
    TCheckBox* CheckBox2 = nullptr;
    TLabel* Label11 = nullptr;
    TComboBox* cbbYAlignment = nullptr;
    TLabel* Label10 = nullptr;
    TComboBox* cbbXAlignment = nullptr;
    TGroupBox* GroupBox3 = nullptr;
    TLabel* Label8 = nullptr;
    TEdit* edtBackGroundPicture = nullptr;
    TButton* Button2 = nullptr;
    TLabel* Label9 = nullptr;
    TComboBox* cbbBKPosition = nullptr;
    TLabel* Label7 = nullptr;
    TShape* BkGroundColor = nullptr;
    TGroupBox* GroupBox4 = nullptr;
    TLabel* Label17 = nullptr;
    TEdit* edtAuthor = nullptr;
    TLabel* Label19 = nullptr;
    TEdit* edtEmail = nullptr;
    TLabel* Label20 = nullptr;
    TEdit* edtWebSite = nullptr;
    TPanel* Panel2 = nullptr;
    TButton* btnPreview = nullptr;
    TButton* btnBuild = nullptr;
    TButton* btnPublish = nullptr;
    TMainMenu* MainMenu1 = nullptr;
    TMenuItem* File1 = nullptr;
    TMenuItem* Open1 = nullptr;
    TMenuItem* OpenProject1 = nullptr;
    TMenuItem* SaveProject1 = nullptr;
    TMenuItem* Saveas1 = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* exit1 = nullptr;
    TMenuItem* View1 = nullptr;
    TMenuItem* mPreview1 = nullptr;
    TMenuItem* ActiveWallpaper1 = nullptr;
    TMenuItem* CreateInstaller1 = nullptr;
    TMenuItem* Help1 = nullptr;
    TMenuItem* Contect1 = nullptr;
    TMenuItem* QuitStart1 = nullptr;
    TMenuItem* N2 = nullptr;
    TMenuItem* Get1 = nullptr;
    TMenuItem* VistourWebsite1 = nullptr;
    TMenuItem* N3 = nullptr;
    TMenuItem* About1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    TOpenPictureDialog* OpenPictureDialog1 = nullptr;
    TColorDialog* ColorDialog1 = nullptr;
    TOpenDialog* OpenDialog2 = nullptr;
    TSaveDialog* SaveDialog1 = nullptr;
    TSaveDialog* SaveDialog2 = nullptr;
    // Gives the builder's windows their skin; the window's own code never calls it.
    TSkinData* SkinData1 = nullptr;

    // --- transfer and state
    // true: controls to model; false: model to controls.
    void SyncSettings(bool toModel);
    void ResetControls();
    void LoadMovie(const std::string& path);
    bool CheckSave();
    void BuildInstaller(const std::string& target);

    TDriftpaneClass* Model() const { return m_model.get(); }
    bool Modified() const { return m_modified; }
    bool Loading() const { return m_loading; }

    // --- handlers bound by the definition
    void FormCreate(TObject* Sender);
    void FormActivate(TObject* Sender);
    void FormDestroy(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void WallpaperChange(TObject* Sender);
    void cbbMoviePositionChange(TObject* Sender);
    void edtLeftKeyPress(TObject* Sender, char& Key);
    void Button1Click(TObject* Sender);
    void Button2Click(TObject* Sender);
    void BkGroundColorMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void Open1Click(TObject* Sender);
    void OpenProject1Click(TObject* Sender);
    void SaveProject1Click(TObject* Sender);
    void Saveas1Click(TObject* Sender);
    void exit1Click(TObject* Sender);
    void btnPreviewClick(TObject* Sender);
    void btnBuildClick(TObject* Sender);
    void btnPublishClick(TObject* Sender);
    void Contect1Click(TObject* Sender);
    void QuitStart1Click(TObject* Sender);
    void Get1Click(TObject* Sender);
    void VistourWebsite1Click(TObject* Sender);
    void About1Click(TObject* Sender);

private:
    enum class TCheckVariant { Preview, Other };
    // Shows the first failing input check's message; true when all pass.
    bool CheckInputs(TCheckVariant variant);
    void MarkModified();
    void SetCustomFieldsEnabled(bool enabled);
    void ShowProjectCaption(const std::string& projectFile);
    void Message(const std::string& text);
    // The start-up project choice of FormCreate, inside the open registry key.
    void StartProject();

    std::unique_ptr<TDriftpaneClass> m_model;
    bool m_loading = false;
    bool m_modified = false;
};

extern TfrmMain* frmMain;

// Shows the tips dialog; ShowTipsOnStart only when the "Tips" value is true.
void ShowTips();
void ShowTipsOnStart();

// The common dialogs (open, save, colour, open picture with a preview pane)
// and message boxes.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/Component.h"
#include "classlib/Graphics.h"
#include "classlib/TypInfo.h"

// ---------------------------------------------------------------------------
// Owner window and title of dialogs and boxes

// The window that owns the dialogs and boxes the library shows; by default the
// calling thread's active window. The application object may supply its own.
void SetDialogOwnerProc(std::function<HWND()> proc);
HWND DialogOwnerWindow();

// The caption of message boxes without a caption of their own. By default the
// program file's name without extension, first character as it is and the
// rest in lower case; the application object may supply its title instead.
void SetMessageBoxTitleProc(std::function<std::string()> proc);
std::string MessageBoxTitle();
// Called with true before and false after every dialog or box the library shows, so
// that the application can tell a return from a modal window from a real activation.
void SetModalNotifyProc(std::function<void(bool started)> proc);
// The default rule applied to a path ("C:\x\DriftPane.EXE" gives "Driftpane").
std::string DefaultTitleFromPath(const std::string& path);

// Brackets one modal dialog or box the library shows, for the notification above.
class TModalScope {
public:
    TModalScope();
    ~TModalScope();
    TModalScope(const TModalScope&) = delete;
    TModalScope& operator=(const TModalScope&) = delete;
};

// ---------------------------------------------------------------------------
// Message boxes. Results are the IDOK... values, which are also the modal
// results mrOk (1), mrCancel (2), mrAbort (3), mrRetry (4), mrIgnore (5),
// mrYes (6), mrNo (7).

// MessageBoxA; an empty caption is MessageBoxTitle(), a null owner DialogOwnerWindow().
int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags, HWND owner = nullptr);
// Text with an OK button, captioned with MessageBoxTitle().
void ShowMessage(const std::string& text);

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
DP_ENUM_INFO(TMsgDlgType, "mtWarning", "mtError", "mtInformation", "mtConfirmation", "mtCustom")
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
DP_ENUM_INFO(TMsgDlgBtn, "mbYes", "mbNo", "mbOK", "mbCancel", "mbAbort", "mbRetry", "mbIgnore", "mbAll", "mbNoToAll",
             "mbYesToAll", "mbHelp")
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
inline const TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// A message box whose caption names the type ("Warning", "Error",
// "Information", "Confirm"; mtCustom: MessageBoxTitle()) with the nearest
// standard button row.
int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext = 0);
// MessageBoxA's style for a type and buttons.
UINT MessageDlgStyle(TMsgDlgType type, TMsgDlgButtons buttons);

// ---------------------------------------------------------------------------

class TCommonDialog : public TComponent {
    DP_DECLARE_CLASS(TCommonDialog, TComponent)
public:
    explicit TCommonDialog(TComponent* owner);
    ~TCommonDialog() override;

    // Shows the dialog modally; true when the user confirmed.
    virtual bool Execute() = 0;
    // The dialog window while it is shown, else nullptr.
    HWND Handle() const { return m_handle; }
    int32_t HelpContext() const { return m_helpContext; }
    void SetHelpContext(int32_t value) { m_helpContext = value; }
    bool Ctl3D() const { return m_ctl3D; }
    void SetCtl3D(bool value) { m_ctl3D = value; }

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

protected:
    // An exception thrown by a handler inside the dialog's callbacks cannot
    // pass through the system's dialog code: it is kept, the dialog is
    // cancelled, and Execute raises it once the dialog has returned.
    void KeepException(HWND dialog);
    void RaiseKeptException();

    HWND m_handle = nullptr;
    std::exception_ptr m_pending;
    int32_t m_helpContext = 0;
    bool m_ctl3D = true;
};

enum TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing,
    ofDontAddToRecent,
    ofForceShowHidden
};
DP_ENUM_INFO(TOpenOption, "ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofShowHelp",
             "ofNoValidate", "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist", "ofFileMustExist",
             "ofCreatePrompt", "ofShareAware", "ofNoReadOnlyReturn", "ofNoTestFileCreate", "ofNoNetworkButton",
             "ofNoLongNames", "ofOldStyleDialog", "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing",
             "ofDontAddToRecent", "ofForceShowHidden")
using TOpenOptions = TSet<TOpenOption>;

// The OFN_ flags of a set of options (without OFN_EXPLORER and the hook).
DWORD OpenOptionsToFlags(TOpenOptions options);

class TOpenDialog : public TCommonDialog {
    DP_DECLARE_CLASS(TOpenDialog, TCommonDialog)
public:
    explicit TOpenDialog(TComponent* owner);
    ~TOpenDialog() override;

    bool Execute() override;

    // Full path of the chosen file (the first one when several were chosen);
    // unchanged when the dialog is cancelled.
    const std::string& FileName() const { return m_fileName; }
    void SetFileName(const std::string& value) { m_fileName = value; }
    // Full paths of every chosen file.
    TStrings* Files() const { return m_files.get(); }
    // "Description|mask|Description|mask", masks separated by ';'.
    const std::string& Filter() const { return m_filter; }
    void SetFilter(const std::string& value) { m_filter = value; }
    // From 1.
    int32_t FilterIndex() const { return m_filterIndex; }
    void SetFilterIndex(int32_t value) { m_filterIndex = value; }
    // Without the dot; appended to names typed without an extension.
    const std::string& DefaultExt() const { return m_defaultExt; }
    void SetDefaultExt(const std::string& value) { m_defaultExt = value; }
    const std::string& InitialDir() const { return m_initialDir; }
    void SetInitialDir(const std::string& value) { m_initialDir = value; }
    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& value) { m_title = value; }
    TOpenOptions Options() const { return m_options; }
    void SetOptions(TOpenOptions value) { m_options = value; }

    TNotifyEvent OnSelectionChange;
    TNotifyEvent OnFolderChange;
    TNotifyEvent OnTypeChange;

    // The dialog's message hook: the explorer-style child dialog's messages.
    static UINT_PTR CALLBACK HookProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    // GetOpenFileNameA or GetSaveFileNameA.
    bool DoExecute(BOOL(WINAPI* func)(LPOPENFILENAMEA));
    // Descendants add a template (and see the messages of the child dialog it makes).
    virtual void PrepareTemplate(OPENFILENAMEA& ofn) {}
    virtual bool HookMessage(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) { return false; }
    virtual void DoSelectionChange() { OnSelectionChange(this); }
    virtual void DoShow() { OnShow(this); }
    // The path selected in the dialog now (CDM_GETFILEPATH).
    std::string CurrentFilePath() const;

private:
    void ReadResult(const char* buffer, const OPENFILENAMEA& ofn);

    std::string m_fileName;
    std::unique_ptr<TStringList> m_files;
    std::string m_filter;
    int32_t m_filterIndex = 1;
    std::string m_defaultExt;
    std::string m_initialDir;
    std::string m_title;
    TOpenOptions m_options{ofHideReadOnly, ofEnableSizing};
};

class TSaveDialog : public TOpenDialog {
    DP_DECLARE_CLASS(TSaveDialog, TOpenDialog)
public:
    explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}
    bool Execute() override;
};

// An open dialog with a pane beside the file list that shows the selected
// picture (JPEG, bitmap, icon, metafile) scaled to fit, and its size.
class TOpenPictureDialog : public TOpenDialog {
    DP_DECLARE_CLASS(TOpenPictureDialog, TOpenDialog)
public:
    explicit TOpenPictureDialog(TComponent* owner);
    ~TOpenPictureDialog() override;

    // Loads the file into the preview (an unreadable file shows nothing) and
    // redraws the pane when the dialog is shown.
    void UpdatePreview(const std::string& fileName);
    // What the pane shows: the picture and the text above it ("(None)" or "W x H").
    TPicture* PreviewPicture() const { return m_preview.get(); }
    const std::string& PreviewText() const { return m_previewText; }

    // Control identifiers of the pane inside the child dialog.
    static constexpr int idPreviewText = 1101;
    static constexpr int idPreviewImage = 1102;

protected:
    void PrepareTemplate(OPENFILENAMEA& ofn) override;
    bool HookMessage(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void DoSelectionChange() override;

private:
    void DrawPreview(const DRAWITEMSTRUCT& dis);

    std::unique_ptr<TPicture> m_preview;
    std::string m_previewText = "(None)";
    std::vector<DWORD> m_template;
    HWND m_child = nullptr;
};

enum TColorDialogOption { cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor };
DP_ENUM_INFO(TColorDialogOption, "cdFullOpen", "cdPreventFullOpen", "cdShowHelp", "cdSolidColor", "cdAnyColor")
using TColorDialogOptions = TSet<TColorDialogOption>;

// Opens with Color, which holds the colour chosen last (black at first).
class TColorDialog : public TCommonDialog {
    DP_DECLARE_CLASS(TColorDialog, TCommonDialog)
public:
    explicit TColorDialog(TComponent* owner);
    ~TColorDialog() override;

    bool Execute() override;

    TColor Color() const { return m_color; }
    void SetColor(TColor value) { m_color = value; }
    // "ColorA=RRGGBB" ... "ColorP=RRGGBB" (hexadecimal, as the colour value $BBGGRR).
    TStrings* CustomColors() const { return m_customColors.get(); }
    TColorDialogOptions Options() const { return m_options; }
    void SetOptions(TColorDialogOptions value) { m_options = value; }

    static UINT_PTR CALLBACK HookProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    TColor m_color = clBlack;
    std::unique_ptr<TStringList> m_customColors;
    TColorDialogOptions m_options;
};

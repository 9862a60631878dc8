// The owner and title of the library's dialogs and boxes, and the message boxes: a file
// apart from the common dialogs, so that programs which only ask questions link no dialog.
#include "classlib/Dialogs.h"

// ---------------------------------------------------------------------------
// Owner and title

namespace {
std::function<HWND()>& OwnerProc() {
    static std::function<HWND()> proc;
    return proc;
}
std::function<std::string()>& TitleProc() {
    static std::function<std::string()> proc;
    return proc;
}
std::function<void(bool)>& ModalProc() {
    static std::function<void(bool)> proc;
    return proc;
}
}  // namespace

TModalScope::TModalScope() {
    if (ModalProc()) ModalProc()(true);
}

TModalScope::~TModalScope() {
    if (ModalProc()) ModalProc()(false);
}

void SetModalNotifyProc(std::function<void(bool started)> proc) { ModalProc() = std::move(proc); }

void SetDialogOwnerProc(std::function<HWND()> proc) { OwnerProc() = std::move(proc); }

HWND DialogOwnerWindow() {
    if (OwnerProc()) return OwnerProc()();
    return GetActiveWindow();
}

void SetMessageBoxTitleProc(std::function<std::string()> proc) { TitleProc() = std::move(proc); }

std::string DefaultTitleFromPath(const std::string& path) {
    std::string name = ExtractFileName(path);
    const std::string ext = ExtractFileExt(name);
    name.resize(name.size() - ext.size());
    if (name.size() > 1) name = name.substr(0, 1) + LowerCase(name.substr(1));
    return name;
}

std::string MessageBoxTitle() {
    if (TitleProc()) return TitleProc()();
    char path[MAX_PATH * 2] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path) - 1);
    return DefaultTitleFromPath(std::string(path, n));
}

// ---------------------------------------------------------------------------
// Message boxes

int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags, HWND owner) {
    const std::string title = caption.empty() ? MessageBoxTitle() : caption;
    TModalScope modal;
    return MessageBoxA(owner ? owner : DialogOwnerWindow(), WrapLongRuns(text).c_str(), title.c_str(), flags);
}

void ShowMessage(const std::string& text) { ShowMessageBox(text, MessageBoxTitle(), MB_OK); }

UINT MessageDlgStyle(TMsgDlgType type, TMsgDlgButtons buttons) {
    UINT style = 0;
    switch (type) {
        case mtWarning: style = MB_ICONWARNING; break;
        case mtError: style = MB_ICONERROR; break;
        case mtInformation: style = MB_ICONINFORMATION; break;
        case mtConfirmation: style = MB_ICONQUESTION; break;
        default: break;
    }
    const bool yes = buttons.Contains(mbYes) || buttons.Contains(mbYesToAll) || buttons.Contains(mbAll);
    const bool no = buttons.Contains(mbNo) || buttons.Contains(mbNoToAll);
    if (yes && no)
        style |= buttons.Contains(mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
    else if (buttons.Contains(mbAbort) || (buttons.Contains(mbRetry) && buttons.Contains(mbIgnore)))
        style |= MB_ABORTRETRYIGNORE;
    else if (buttons.Contains(mbRetry))
        style |= MB_RETRYCANCEL;
    else if (buttons.Contains(mbCancel))
        style |= MB_OKCANCEL;
    else
        style |= MB_OK;
    if (buttons.Contains(mbHelp)) style |= MB_HELP;
    return style;
}

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int) {
    const char* caption = nullptr;
    switch (type) {
        case mtWarning: caption = "Warning"; break;
        case mtError: caption = "Error"; break;
        case mtInformation: caption = "Information"; break;
        case mtConfirmation: caption = "Confirm"; break;
        default: break;
    }
    return ShowMessageBox(text, caption ? caption : MessageBoxTitle(), MessageDlgStyle(type, buttons));
}

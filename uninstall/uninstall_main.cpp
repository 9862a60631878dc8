// uninstall: removes what setup installed, as recorded in uninstall001.dat
// beside this program, then leaves a batch running that deletes the program
// and its folder once it has ended.
#include <windows.h>

#include "classlib/Forms.h"
#include "classlib/SysUtils.h"
#include "setup/DataExpress.h"
#include "uninstall/UnstallProgramBar.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The stored form names these classes; keep them linked in.
    RegisterClasses({&TPanel::StaticClassInfo(), &TBevel::StaticClassInfo(), &TImage::StaticClassInfo(),
                     &TLabel::StaticClassInfo(), &TButton::StaticClassInfo(), &TTimer::StaticClassInfo(),
                     &TProgressBar::StaticClassInfo()});
    Application->Initialize();
    const std::string exe = Application->ExeName();
    const std::string dir = ExtractFilePath(exe);
    const std::string record = dir + "uninstall001.dat";
    if (!FileExists(record)) {
        const std::string text = "File :" + record + " does not exits,can not uninstall";
        MessageBoxA(Application->Handle(), text.c_str(), "uninstall", MB_ICONINFORMATION);
        DoneApplication();
        return 0;
    }
    TExpressPack* pack = new TExpressPack;
    pack->OnProcessMessages = [] { Application->ProcessMessages(); };
    bool removed = false;
    try {
        // The record is read first, so that the question can name the program.
        if (pack->LoadFromFile(record)) {
            const std::string question = "Are you sure you want to completely remove" + (" " + pack->GetProgramName()) +
                                         " and all its components?";
            if (MessageBoxA(Application->Handle(), question.c_str(), "Uninstall", MB_OKCANCEL | MB_ICONQUESTION) ==
                IDOK) {
                pack->SetInstallDir(dir);
                // After a run that left something, the uninstaller stays to be run again.
                removed = ShowUninstallBar(pack);
            }
        }
    } catch (...) {
        Application->HandleException();
    }
    delete pack;
    DoneApplication();
    if (removed) StartSelfRemoval(exe, dir);
    return 0;
}

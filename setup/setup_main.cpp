// setup: the program at the head of every installer. It finds the package
// appended to its own file and runs the wizard over it; without a package it
// ends silently.
#include <windows.h>

#include "classlib/Dialogs.h"
#include "classlib/Forms.h"
#include "classlib/Classes.h"
#include "classlib/SysUtils.h"
#include "setup/DataExpress.h"
#include "setup/ProgramImage.h"
#include "setup/SetupMessages.h"
#include "setup/Welcome.h"

namespace {
bool HasBytesBehindTheProgram(const std::string& exe) {
    try {
        TFileStream s(exe, fmOpenRead | fmShareDenyNone);
        const uint64_t end = ProgramImageEnd(s);
        return end != 0 && static_cast<uint64_t>(s.Size()) > end;
    } catch (const Exception&) {
        return false;
    }
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The stored form names these classes; keep them linked in.
    RegisterClasses({&TPanel::StaticClassInfo(), &TBevel::StaticClassInfo(), &TImage::StaticClassInfo(),
                     &TLabel::StaticClassInfo(), &TButton::StaticClassInfo(), &TEdit::StaticClassInfo(),
                     &TMemo::StaticClassInfo(), &TProgressBar::StaticClassInfo()});
    Application->Initialize();
    TExpressPack* pack = new TExpressPack;
    pack->OnProcessMessages = [] { Application->ProcessMessages(); };
    try {
        bool loaded = false;
        try {
            loaded = pack->LoadFromFile(Application->ExeName());
        } catch (const EReadError&) {
            // The head is there but its tables are not: cut, or overwritten.
            throw EReadError(SDamagedInstaller);
        }
        if (!loaded) {
            // Bytes behind the program that hold no package: one cut short or lengthened. A bare
            // setup.exe, with nothing behind it, ends silently.
            if (HasBytesBehindTheProgram(Application->ExeName()))
                Application->MessageBox(SDamagedInstaller, Application->Title(), MB_OK | MB_ICONERROR);
        } else {
            // A package whose paths leave their roots, or whose data lies outside
            // the file, is refused before anything is shown or written.
            const std::string fault = pack->CheckPackage();
            if (!fault.empty()) {
                Application->MessageBox(std::string(SUnsafeInstaller) + "\r\n\r\n" + fault, Application->Title(),
                                        MB_OK | MB_ICONERROR);
            } else {
                ShowWelcome(pack);
                Application->Run();
            }
        }
    } catch (...) {
        Application->HandleException();
    }
    if (frmWelcome) {
        frmWelcome->Free();
        frmWelcome = nullptr;
    }
    delete pack;
    DoneApplication();
    return 0;
}

// setup: the program at the head of every installer. It finds the package
// appended to its own file and runs the wizard over it; without a package it
// ends silently.
#include <windows.h>

#include "classlib/Dialogs.h"
#include "classlib/Forms.h"
#include "setup/DataExpress.h"
#include "setup/Welcome.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The stored form names these classes; keep them linked in.
    RegisterClasses({&TPanel::StaticClassInfo(), &TBevel::StaticClassInfo(), &TImage::StaticClassInfo(),
                     &TLabel::StaticClassInfo(), &TButton::StaticClassInfo(), &TEdit::StaticClassInfo(),
                     &TMemo::StaticClassInfo(), &TProgressBar::StaticClassInfo()});
    Application->Initialize();
    TExpressPack* pack = new TExpressPack;
    pack->OnProcessMessages = [] { Application->ProcessMessages(); };
    try {
        if (pack->LoadFromFile(Application->ExeName())) {
            // A package whose paths leave their roots, or whose data lies outside
            // the file, is refused before anything is shown or written.
            const std::string fault = pack->CheckPackage();
            if (!fault.empty()) {
                Application->MessageBox(fault, Application->Title(), MB_OK | MB_ICONERROR);
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

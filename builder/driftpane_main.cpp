// The builder's entry point: the application object, the main window from its
// stored definition, the message loop.
#include <windows.h>

#include "builder/Main.h"
#include "classlib/Forms.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        Application->Initialize();
        Application->CreateForm(frmMain);
        Application->Run();
    } catch (const Exception& e) {
        Application->ShowException(e.Message());
    }
    DoneApplication();
    return 0;
}

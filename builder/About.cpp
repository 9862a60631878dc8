#include "builder/About.h"

#include "builder/Main.h"
#include "classlib/WinSys.h"

DP_PUBLISHED(TfrmAbout){
    DP_FIELD(Panel1),       DP_FIELD(Image1),       DP_FIELD(GroupBox1),     DP_FIELD(Label1),  DP_FIELD(Label4),
    DP_FIELD(Label5),       DP_FIELD(Label6),       DP_FIELD(Label7),        DP_FIELD(Button1), DP_METHOD(FormCreate),
    DP_METHOD(Label5Click), DP_METHOD(Label7Click), DP_METHOD(Button1Click),
};

void TfrmAbout::FormCreate(TObject*) {
    SetCaption(ProductTitle);
    Label1->SetCaption(ProductTitle);
    // Escape closes the box, as it closes any dialog.
    Button1->SetCancel(true);
}

void TfrmAbout::Label5Click(TObject*) { ShellExecuteText(Handle(), "", MakerWebSite, "", "", SW_SHOWNORMAL); }

void TfrmAbout::Label7Click(TObject*) {
    ShellExecuteText(Handle(), "open", std::string("mailto:") + MakerSupportEmail, "", "", SW_SHOWNORMAL);
}

void TfrmAbout::Button1Click(TObject*) { Close(); }

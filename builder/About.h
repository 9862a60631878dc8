// The About box: product logo, title and the maker's addresses as links.
#pragma once

#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

class TfrmAbout : public TForm {
    DP_DECLARE_CLASS(TfrmAbout, TForm)
public:
    explicit TfrmAbout(TComponent* owner) : TForm(owner) {}

    TPanel* Panel1 = nullptr;
    TImage* Image1 = nullptr;
    TGroupBox* GroupBox1 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label4 = nullptr;
    TLabel* Label5 = nullptr;
    TLabel* Label6 = nullptr;
    TLabel* Label7 = nullptr;
    TButton* Button1 = nullptr;

    void FormCreate(TObject* Sender);
    void Label5Click(TObject* Sender);
    void Label7Click(TObject* Sender);
    void Button1Click(TObject* Sender);
};

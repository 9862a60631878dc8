// The tip-of-the-day dialog: three tips in turn and the box that shows it at start.
#pragma once

#include <string>

#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

constexpr int TipCount = 3;
// Question, line feed and carriage return, then the answer after one blank.
std::string TipText(int index);

class TfrmTips : public TForm {
    DP_DECLARE_CLASS(TfrmTips, TForm)
public:
    explicit TfrmTips(TComponent* owner) : TForm(owner) {}

    TPanel* Panel1 = nullptr;
    TPanel* Panel3 = nullptr;
    TImage* Image1 = nullptr;
    TLabel* Label1 = nullptr;
    TShape* Shape1 = nullptr;
    TLabel* lblMessage = nullptr;
    TCheckBox* CheckBox1 = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;

    int TipIndex() const { return m_index; }

    void FormShow(TObject* Sender);
    void Button1Click(TObject* Sender);
    void Button2Click(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

private:
    int m_index = 0;
};

#include "classlib/Colors.h"

#include "classlib/SysUtils.h"

const TTypeInfo* ColorTypeInfo() {
    static const TTypeInfo info =
        dp::MakeIdentInfo("TColor", {
                                        {clBlack, "clBlack"},
                                        {clMaroon, "clMaroon"},
                                        {clGreen, "clGreen"},
                                        {clOlive, "clOlive"},
                                        {clNavy, "clNavy"},
                                        {clPurple, "clPurple"},
                                        {clTeal, "clTeal"},
                                        {clGray, "clGray"},
                                        {clSilver, "clSilver"},
                                        {clRed, "clRed"},
                                        {clLime, "clLime"},
                                        {clYellow, "clYellow"},
                                        {clBlue, "clBlue"},
                                        {clFuchsia, "clFuchsia"},
                                        {clAqua, "clAqua"},
                                        {clWhite, "clWhite"},
                                        {clMoneyGreen, "clMoneyGreen"},
                                        {clSkyBlue, "clSkyBlue"},
                                        {clCream, "clCream"},
                                        {clMedGray, "clMedGray"},
                                        {clActiveBorder, "clActiveBorder"},
                                        {clActiveCaption, "clActiveCaption"},
                                        {clAppWorkSpace, "clAppWorkSpace"},
                                        {clBackground, "clBackground"},
                                        {clBtnFace, "clBtnFace"},
                                        {clBtnHighlight, "clBtnHighlight"},
                                        {clBtnShadow, "clBtnShadow"},
                                        {clBtnText, "clBtnText"},
                                        {clCaptionText, "clCaptionText"},
                                        {clDefault, "clDefault"},
                                        {clGradientActiveCaption, "clGradientActiveCaption"},
                                        {clGradientInactiveCaption, "clGradientInactiveCaption"},
                                        {clGrayText, "clGrayText"},
                                        {clHighlight, "clHighlight"},
                                        {clHighlightText, "clHighlightText"},
                                        {clHotLight, "clHotLight"},
                                        {clInactiveBorder, "clInactiveBorder"},
                                        {clInactiveCaption, "clInactiveCaption"},
                                        {clInactiveCaptionText, "clInactiveCaptionText"},
                                        {clInfoBk, "clInfoBk"},
                                        {clInfoText, "clInfoText"},
                                        {clMenu, "clMenu"},
                                        {clMenuBar, "clMenuBar"},
                                        {clMenuHighlight, "clMenuHighlight"},
                                        {clMenuText, "clMenuText"},
                                        {clNone, "clNone"},
                                        {clScrollBar, "clScrollBar"},
                                        {cl3DDkShadow, "cl3DDkShadow"},
                                        {cl3DLight, "cl3DLight"},
                                        {clWindow, "clWindow"},
                                        {clWindowFrame, "clWindowFrame"},
                                        {clWindowText, "clWindowText"},
                                        // Read-only aliases: the names above come first when writing.
                                        {clLtGray, "clLtGray"},
                                        {clDkGray, "clDkGray"},
                                    });
    return &info;
}

bool IdentToColor(const std::string& ident, TColor& color) { return IdentToInt(ColorTypeInfo(), ident, color); }

bool ColorToIdent(TColor color, std::string& ident) { return IntToIdent(ColorTypeInfo(), color, ident); }

std::string ColorToString(TColor color) {
    std::string ident;
    if (ColorToIdent(color, ident)) return ident;
    return "$" + IntToHex(color, 8);
}

TColor StringToColor(const std::string& text) {
    TColor c;
    if (IdentToColor(text, c)) return c;
    return StrToInt(text);
}

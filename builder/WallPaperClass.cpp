// Portable half of the wallpaper model: setters, Clear, the page writer and
// the thin wrappers over the movie copy.
#include "builder/WallPaperClass.h"

#include "builder/SwfMute.h"
#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

// ---------------------------------------------------------------------------
// Setters

void TDriftpaneClass::SetFlashFile(const std::string& path) {
    FlashFile = path;
    FlashFileName = ExtractFileName(path);
}

void TDriftpaneClass::SetBackgroundPic(const std::string& path) {
    BackgroundPic = path;
    PictureFileName = ExtractFileName(path);
}

void TDriftpaneClass::SetWallPaperName(const std::string& text) { WallPaperName = text; }

void TDriftpaneClass::SetBackgroundColor(int32_t color) {
    BackgroundColor = color;
    const uint32_t c = static_cast<uint32_t>(color);
    ColorText = "#" + IntToHex(c & 0xFF, 2) + IntToHex((c >> 8) & 0xFF, 2) + IntToHex((c >> 16) & 0xFF, 2);
}

void TDriftpaneClass::SetLoop(bool value) {
    Loop = value;
    LoopText = value ? "TRUE" : "FALSE";
}

void TDriftpaneClass::SetMovieQuality(uint8_t value) {
    MovieQuality = value;
    // The list shows "AutoHigh"; the player has always been sent "AutoHight".
    static const char* const words[] = {"Low", "High", "AutoLow", "AutoHight", "Best"};
    if (value < 5) QualityText = words[value];
}

void TDriftpaneClass::SetMovieSize(uint8_t value) {
    // Index 0 of the list reads "Exact Fit" yet has always written "showall".
    static const char* const words[] = {"showall", "exactfit", "noscale"};
    if (value < 3) ScaleText = words[value];
    MovieSize = value;
}

void TDriftpaneClass::SetMovieHAligment(uint8_t value) {
    static const char* const letters[] = {"L", "C", "R"};
    if (value < 3) HAlignLetter = letters[value];
    MovieHAligment = value;
}

void TDriftpaneClass::SetMovieVAligment(uint8_t value) {
    static const char* const letters[] = {"T", "C", "B"};
    if (value < 3) VAlignLetter = letters[value];
    MovieVAligment = value;
}

void TDriftpaneClass::SetWallPaperPosition(uint8_t value) {
    WallPaperPosition = value;
    switch (value) {
        case 0:
            RepeatText = "no-repeat";
            PositionText = "Center";
            break;
        case 1:
            RepeatText = "no-repeat";
            PositionText = "Stretch";
            break;
        case 2:
            RepeatText = "repeat";
            PositionText = "Tile";
            break;
        default: break;
    }
}

void TDriftpaneClass::SetMuteFlashSound(bool value) { MuteFlashSound = value; }
void TDriftpaneClass::SetMoviePosition(uint8_t value) { MoviePosition = value; }
void TDriftpaneClass::SetMovieLeft(int32_t value) { MovieLeft = value; }
void TDriftpaneClass::SetMovieTop(int32_t value) { MovieTop = value; }
void TDriftpaneClass::SetMovieRight(int32_t value) { MovieRight = value; }
void TDriftpaneClass::SetMovieBottom(int32_t value) { MovieBottom = value; }
void TDriftpaneClass::SetAuthor(const std::string& text) { Author = text; }
void TDriftpaneClass::SetEmail(const std::string& text) { Email = text; }
void TDriftpaneClass::SetWebsite(const std::string& text) { Website = text; }

void TDriftpaneClass::Clear() {
    ProjectFile.clear();
    FlashFile.clear();
    WallPaperName.clear();
    // Raw on purpose: the scale, picture position, colour and loop texts keep
    // whatever their setters last wrote until the main window sets them again.
    MovieSize = 0;
    SetMovieQuality(1);
    SetMovieHAligment(1);
    SetMovieVAligment(1);
    WallPaperPosition = 0;
    BackgroundColor = 0;
    Loop = false;
}

// ---------------------------------------------------------------------------
// The page

namespace {

// The movie layer for positions 0..9: left, top, width, height.
struct LayerBox {
    const char* left;
    const char* top;
    const char* width;
    const char* height;
};

const LayerBox kLayerBoxes[10] = {
    {"0", "0", "100%", "100%"},    // Full Screen
    {"0", "0", "50%", "50%"},      // Top Left
    {"25%", "0", "50%", "50%"},    // Top Center
    {"50%", "0", "50%", "50%"},    // Top Right
    {"0", "25%", "50%", "50%"},    // Center Left
    {"25%", "25%", "50%", "50%"},  // Center
    {"50%", "25%", "50%", "50%"},  // Center Right
    {"0", "50%", "50%", "50%"},    // Bottom Left
    {"25%", "50%", "50%", "50%"},  // Bottom Center
    {"50%", "50%", "50%", "50%"},  // Bottom Right
};

std::string LayerLine(const std::string& left, const std::string& top, const std::string& width,
                      const std::string& height) {
    return "<div style=\"left: " + left + "; top: " + top + "; width:" + width + "; height:" + height +
           "; z-index:3; position:absolute; visibility: visible\">";
}

void BuildPage(const TDriftpaneClass& m, TStringList& page) {
    const std::string tab = "\t";
    page.Add("<HTML>");
    page.Add("<body oncontextmenu=\"return false\" bgcolor=\"" + m.ColorText +
             "\" leftmargin=0 rightmargin=0 topmargin=0 bottommargin=0 marginwidth=0 marginheight=0>");
    page.Add("<div");
    // "postion" has always been misspelt here; pages out there look the way
    // this makes them look, so it stays.
    page.Add("style=\"postion:absolute;");
    page.Add("background-image:url(&quot;" + m.PictureFileName + "&quot;);");
    page.Add("background-color:" + m.ColorText + ";");
    page.Add("background-repeat:" + m.RepeatText + ";");
    page.Add("background-position:" + m.PositionText + ";");
    page.Add("height:100%;");
    page.Add("width:100%;");
    page.Add("z-index:1;\">");
    page.Add("</div>");
    if (m.MoviePosition < 10) {
        const LayerBox& b = kLayerBoxes[m.MoviePosition];
        page.Add(LayerLine(b.left, b.top, b.width, b.height));
    } else if (m.MoviePosition == 10) {
        page.Add(LayerLine(IntToStr(m.MovieLeft), IntToStr(m.MovieTop), IntToStr(m.MovieRight) + "%",
                           IntToStr(m.MovieBottom) + "%"));
    }
    page.Add("<OBJECT CLASSID=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\"");
    page.Add(tab + "WIDTH=\"100%\" HEIGHT=\"100%\"");
    page.Add(tab + "CODEBASE=\"" + PlayerDownloadBase + "/flash5/cabs/swflash.cab#version=5,0,0,0\">");
    page.Add(tab + "<PARAM NAME=\"MOVIE\" VALUE=\"" + m.FlashFileName + "\">");
    page.Add(tab + "<PARAM NAME=\"PLAY\" VALUE=\"true\">");
    page.Add(tab + "<PARAM NAME=\"QUALITY\" VALUE=\"" + m.QualityText + "\">");
    page.Add(tab + "<PARAM NAME=\"LOOP\" VALUE=\"" + m.LoopText + "\">");
    page.Add(tab + "<PARAM NAME=\"SCALE\" VALUE=\"" + m.ScaleText + "\">");
    page.Add(tab + "<PARAM NAME=\"SALIGN\" VALUE=\"" + m.HAlignLetter + m.VAlignLetter + "\">");
    page.Add(tab +
             "<IMG SRC=\"Preview.bmp\" WIDTH=\"100%\" HEIGHT=\"100%\" BORDER=\"0\" ALIGN=\"STRETCH\"  ALT=\"\"/>");
    page.Add("</OBJECT>");
    page.Add("</div>");
    page.Add(
        "<div style=\"left: 0; top: 0; width:100%; height:100%; z-index:4; position:absolute; visibility: visible\">");
    page.Add("<table width=\"100%\" border=\"0\" cellpadding=\"0\" cellspacing=\"0\" height=\"100%\">");
    page.Add(" <tr valign=\"bottom\" align=\"center\">");
    page.Add(" <td>");
    page.Add(" </td>");
    page.Add("</tr>");
    page.Add("<tr><td height=\"30\">");
    page.Add("</td></tr>");
    page.Add("</table>");
    page.Add("</div>");
    page.Add("</BODY>");
    page.Add("</HTML>");
}

}  // namespace

std::string TDriftpaneClass::HtmlPageText() const {
    TStringList page;
    BuildPage(*this, page);
    return page.Text();
}

void TDriftpaneClass::WriteHtmlPage(const std::string& path) {
    TStringList page;
    BuildPage(*this, page);
    page.SaveToFile(path);
}

// ---------------------------------------------------------------------------
// Movie and picture copies

void TDriftpaneClass::CopySwf(const std::string& target) {
    if (MuteFlashSound)
        CopySwfMuted(FlashFile, target);
    else
        CopyFileStream(FlashFile, target);
}

void TDriftpaneClass::CopyFileStream(const std::string& source, const std::string& target) {
    ::CopyFileStream(source, target);
}

bool TDriftpaneClass::CopySwfMuted(const std::string& source, const std::string& target) {
    return ::CopySwfMuted(source, target);
}

void TDriftpaneClass::InflateSwfBody(int64_t count, TStream& source, TMemoryStream& target) {
    ::InflateSwfBody(count, source, target);
}

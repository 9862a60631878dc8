// The builder's stored skin as the skin engine will read it: the package
// through TSkinReader, the ini text through TQuickIni, and every strip against
// the frame count and orientation of the painter that draws it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "classlib/BmpFile.h"
#include "classlib/Classes.h"
#include "classlib/PngFile.h"
#include "skin/SkinRead.h"
#include "skin/TinselIni.h"
#include "tools/skingen/SkinGen.h"

namespace {

using skingen::Bytes;

uint32_t LE16(const Bytes& b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t LE32(const Bytes& b, size_t at) { return LE16(b, at) | (LE16(b, at + 2) << 16); }

Bytes StreamBytes(TCustomMemoryStream& s) {
    const uint8_t* p = static_cast<const uint8_t*>(s.Memory());
    return p ? Bytes(p, p + s.Size()) : Bytes();
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// A bitmap entry as the class library reads it; ok is false for anything it
// would refuse, and for any depth but the 24 bits the generator writes.
struct TBmp {
    bool ok = false;
    std::string why;
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // rows from the top
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

TBmp ParseBmp(const Bytes& b) {
    TBmp r;
    TDibImage dib;
    if (ReadBmpFile(b.data(), b.size(), dib) != TBmpResult::Ok) return r.why = "not a bitmap", r;
    if (dib.BitCount != 24) return r.why = "not 24 bits", r;
    if (dib.End != b.size()) return r.why = "bytes behind the pixels", r;
    r.width = dib.Width;
    r.height = dib.Height;
    r.pixels.resize(static_cast<size_t>(r.width) * r.height);
    for (int y = 0; y < r.height; ++y) {
        const uint8_t* row = dib.Bits.data() + static_cast<size_t>(dib.Stride) * (r.height - 1 - y);
        for (int x = 0; x < r.width; ++x)
            r.pixels[static_cast<size_t>(y) * r.width + x] =
                row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16);
    }
    r.ok = true;
    return r;
}

bool HasMagenta(const TBmp& bmp) {
    return std::find(bmp.pixels.begin(), bmp.pixels.end(), skingen::Magenta) != bmp.pixels.end();
}

// The package made once for all tests, read back the way the skin data
// component reads it.
struct TLoaded {
    Bytes package;
    TSkinReader reader;
    TQuickIni ini;
    bool loaded = false;
    std::string iniName;

    TLoaded() : package(skingen::SkinPackageBytes(skingen::DrawSkinBitmaps())) {
        TMemoryStream s;
        s.WriteBuffer(package.data(), static_cast<int64_t>(package.size()));
        loaded = reader.LoadFromStream(s);
        if (!loaded) return;
        TMemoryStream text;
        reader.FindEntry(".ini", text, iniName);
        ini.LoadFromStream(text);
    }

    Bytes Entry(const std::string& name) {
        TMemoryStream t;
        reader.ReadEntry(name, t);
        return StreamBytes(t);
    }
};

TLoaded& Skin() {
    static TLoaded* skin = new TLoaded;
    return *skin;
}

// ---------------------------------------------------------------------------

TEST(SkinGen, PackageHoldsThirtySixEntriesWithTheIniThirtySecond) {
    TLoaded& s = Skin();
    ASSERT_TRUE(s.loaded);
    EXPECT_EQ(s.reader.Count, 36);
    EXPECT_EQ(s.reader.Names.Get(skingen::SkinIniPlace), "satin-steel.ini");
    EXPECT_EQ(s.iniName, "satin-steel.ini");  // the first name holding ".ini" is the ini itself
    int bitmaps = 0;
    for (int i = 0; i < s.reader.Count; ++i) {
        const std::string name = s.reader.Names.Get(i);
        if (i == skingen::SkinIniPlace) continue;
        EXPECT_TRUE(EndsWith(name, ".bmp")) << name;
        EXPECT_EQ(name.find(".ini"), std::string::npos) << name << " would be taken for the ini text";
        ++bitmaps;
    }
    EXPECT_EQ(bitmaps, 35);
    EXPECT_EQ(s.reader.Head.Tag, SkinTag);
    EXPECT_TRUE(std::any_of(std::begin(s.reader.Head.Reserved), std::end(s.reader.Head.Reserved),
                            [](uint8_t b) { return b != 0; }));
}

TEST(SkinGen, EntryNamesKeepTheirCapitals) {
    const auto entries = skingen::SkinEntries(skingen::DrawSkinBitmaps());
    std::set<std::string> names;
    for (const auto& e : entries) names.insert(e.Name);
    EXPECT_TRUE(names.count("my_MenuItem.bmp"));
    EXPECT_TRUE(names.count("my_ScrollBar.bmp"));
    // And the reader still finds them under any spelling.
    EXPECT_FALSE(Skin().Entry("MY_MENUITEM.BMP").empty());
}

// Every entry holds exactly what it claims: a bitmap whose headers account for
// every byte, or the ini text; the container's sizes add up.
TEST(SkinGen, EntriesHoldWhatTheirHeadersSay) {
    TLoaded& s = Skin();
    ASSERT_TRUE(s.loaded);
    int64_t total = 0;
    for (int i = 0; i < s.reader.Count; ++i) {
        const std::string name = s.reader.Names.Get(i);
        SCOPED_TRACE(name);
        const Bytes entry = s.Entry(name);
        EXPECT_EQ(static_cast<int64_t>(entry.size()), s.reader.Sizes[i]);
        total += s.reader.Sizes[i];
        if (i == skingen::SkinIniPlace) {
            EXPECT_EQ(std::string(entry.begin(), entry.end()), skingen::SkinIniText());
            continue;
        }
        const TBmp bmp = ParseBmp(entry);
        EXPECT_TRUE(bmp.ok) << bmp.why;
    }
    EXPECT_EQ(s.reader.Data.Size(), total);
    EXPECT_EQ(16 + s.reader.Head.NameLength + 4 * s.reader.Count + total, static_cast<int64_t>(LE32(s.package, 0)));
}

TEST(SkinGen, SkinStreamIsTheLengthThenThePackage) {
    const Bytes package = Skin().package;
    const Bytes stream = skingen::SkinStreamBytes(package);
    ASSERT_EQ(stream.size(), package.size() + 4);
    EXPECT_EQ(LE32(stream, 0), package.size());
    EXPECT_TRUE(std::equal(package.begin(), package.end(), stream.begin() + 4));
}

#ifdef DP_BUILDER_SKIN_PACKAGE
Bytes ReadAll(const std::string& path) {
    Bytes out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

TEST(SkinGen, BuiltFilesAreTheseBytes) {
    const std::string pkg = DP_BUILDER_SKIN_PACKAGE;
    const std::string dir = pkg.substr(0, pkg.find_last_of('/'));
    EXPECT_EQ(ReadAll(pkg), Skin().package);
    EXPECT_EQ(ReadAll(dir + "/driftpane.skinstream"), skingen::SkinStreamBytes(Skin().package));
    const Bytes sheet = ReadAll(dir + "/skin-sheet.png");
    ASSERT_GT(sheet.size(), 8u);
    EXPECT_EQ(Bytes(sheet.begin(), sheet.begin() + 8), (Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
}
#endif

// ---------------------------------------------------------------------------
// Every image the ini names, with what its painter expects of it.

struct TStripCase {
    const char* section;
    const char* key;
    int frames;     // the count the painter divides by
    bool vertical;  // frames stacked rather than side by side
    bool keyed;     // drawn with $FF00FF transparent, so magenta may appear
};

const TStripCase kStrips[] = {
    {"Personality", "Left", 2, false, true},  // active, inactive; Trans defaults to 1
    {"Personality", "Right", 2, false, true},
    {"Personality", "Top", 2, true, true},
    {"Personality", "Bottom", 2, true, false},
    {"Personality", "menuBar", 2, true, false},
    {"Button0", "ButtonImage", 4, false, true},  // normal, pressed, hot, inactive
    {"Button2", "ButtonImage", 4, false, true},
    {"Button3", "ButtonImage", 4, false, true},
    {"Button4", "ButtonImage", 4, false, true},
    {"MinCaption", "Image", 2, true, false},
    {"Buttons", "Bitmap", 5, false, true},
    {"Buttons", "CheckButton", 4, false, true},
    {"Buttons", "RadioButton", 4, false, true},
    {"ComboButton", "Image", 4, false, true},
    {"ExtraImages", "Image", 5, false, true},
    {"Tabs", "Image", 5, false, true},
    {"Tabs", "Border", 1, false, false},
    {"Tab.Pane", "Image", 1, false, false},
    {"Scrollbar", "Image", 23, false, true},
    {"HorzScroll", "Image", 4, false, false},
    {"VertScroll", "Image", 4, false, false},
    {"HorzScrollThumb", "Image", 3, false, true},
    {"VertScrollThumb", "Image", 3, false, true},
    {"Progress", "Bitmap", 2, false, false},
    {"StatusBarEdges", "Image", 3, false, false},
    {"ToolBars", "Image", 5, false, false},
    {"Headerbar", "Image", 5, false, false},
    {"MenuItem", "Image", 5, false, false},
    {"MenuBackground", "Image", 1, false, false},
    {"GroupBoxEdge", "Image", 2, false, true},
    {"UpDown.Horz", "Image", 8, false, true},
    {"UpDown.Vert", "Image", 8, false, true},
    {"Trackbar.ThumbHorz", "Image", 5, false, true},
    {"Trackbar.ThumbVert", "Image", 5, false, true},
    {"Track", "Image", 1, false, false},  // one three-part piece
    {"TRACKVERT", "Image", 1, true, false},
};

TEST(SkinGen, EveryStripSplitsIntoItsPaintersFrames) {
    TLoaded& s = Skin();
    ASSERT_TRUE(s.loaded);
    std::set<std::string> used;
    for (const TStripCase& c : kStrips) {
        SCOPED_TRACE(std::string(c.section) + " " + c.key);
        const std::string name = s.ini.ReadString(c.section, c.key, "");
        ASSERT_TRUE(EndsWith(name, ".bmp")) << name;
        used.insert(Lower(name));
        const TBmp bmp = ParseBmp(s.Entry(name));
        ASSERT_TRUE(bmp.ok) << bmp.why;
        const int length = c.vertical ? bmp.height : bmp.width;
        EXPECT_EQ(length % c.frames, 0) << bmp.width << " x " << bmp.height;
        EXPECT_GE(length / c.frames, 4);
        // Magenta shows as itself where no painter keys it out; where one does,
        // an element claiming Trans = 1 should have something to key out.
        if (!c.keyed) {
            EXPECT_FALSE(HasMagenta(bmp));
        }
        // "Trans" belongs to a section's first image only.
        const std::string key = c.key;
        if ((key == "Image" || key == "Bitmap") && s.ini.ReadInteger(c.section, "Trans", 0) == 1) {
            EXPECT_TRUE(HasMagenta(bmp));
        }
    }
    // Every bitmap of the package is drawn by something.
    for (int i = 0; i < s.reader.Count; ++i) {
        if (i != skingen::SkinIniPlace) {
            EXPECT_TRUE(used.count(s.reader.Names.Get(i))) << s.reader.Names.Get(i);
        }
    }
}

TEST(SkinGen, FrameCountKeysAgreeWithThePainters) {
    TQuickIni& ini = Skin().ini;
    for (const char* piece : {"Left", "Right", "Top", "Bottom"})
        EXPECT_EQ(ini.ReadInteger("Personality", std::string(piece) + "Frame", 1), 2) << piece;
    EXPECT_EQ(ini.ReadInteger("Buttons", "CheckButtonFrame", 0), 4);
    EXPECT_EQ(ini.ReadInteger("Buttons", "RadioButtonFrame", 0), 4);
    EXPECT_EQ(ini.ReadInteger("HorzScrollThumb", "FrameCount", 3), 3);
    EXPECT_EQ(ini.ReadInteger("VertScrollThumb", "FrameCount", 3), 3);
    EXPECT_EQ(ini.ReadInteger("Headerbar", "Frame", 0), 5);
    EXPECT_EQ(ini.ReadInteger("Progress", "Style", 0), 0);  // the two-frame bar, no chunk image
    EXPECT_EQ(ini.ReadInteger("Tabs", "Style", 0), 0);      // the border is "Border", not the pane
}

// Whether the readers take `key` of `section` (both lower-cased) as a file name.
bool IsImageKey(const std::string& section, const std::string& key) {
    if (section == "personality")
        return key == "left" || key == "right" || key == "top" || key == "bottom" || key == "menubar" ||
               key == "textback";
    if (section == "buttons") return key == "bitmap" || key == "checkbutton" || key == "radiobutton";
    if (section.rfind("button", 0) == 0) return key == "buttonimage";
    if (section == "progress") return key == "bitmap";
    if (section == "tabs" && key == "border") return true;
    if (section.rfind("updown.", 0) == 0 && key == "glyphimage") return true;
    return key == "image";
}

TEST(SkinGen, EveryImageKeyNamesABitmapEntry) {
    TLoaded& s = Skin();
    std::string section;
    int seen = 0;
    const TStringList& lines = s.ini.Lines();
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string line = lines.Get(i);
        if (!line.empty() && line[0] == '[') {
            section = Lower(line.substr(1, line.size() - 2));
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = Lower(line.substr(0, eq)), value = line.substr(eq + 1);
        if (Lower(value).find(".bmp") != std::string::npos) {
            EXPECT_TRUE(IsImageKey(section, key)) << section << " " << key << " holds a file name no reader asks for";
        }
        if (!IsImageKey(section, key) || value.empty()) continue;
        ++seen;
        EXPECT_TRUE(EndsWith(value, ".bmp")) << section << " " << key;  // compared exactly by the loader
        EXPECT_FALSE(s.Entry(value).empty()) << section << " " << key << "=" << value;
    }
    EXPECT_EQ(seen, static_cast<int>(std::size(kStrips)));
}

TEST(SkinGen, CaptionButtons) {
    TQuickIni& ini = Skin().ini;
    TStringList sections;
    ini.ReadSections(sections);
    std::vector<std::string> buttons;
    for (int i = 0; i < sections.Count(); ++i) {
        std::string up = sections.Get(i);
        std::transform(up.begin(), up.end(), up.begin(), [](unsigned char c) { return std::toupper(c); });
        if (up.rfind("BUTTON", 0) == 0 && up != "BUTTON" && up != "BUTTONS" && up != "BUTTON.RADIO" &&
            up != "BUTTON.CHECKBOX")
            buttons.push_back(sections.Get(i));
    }
    ASSERT_EQ(buttons, (std::vector<std::string>{"Button0", "Button1", "Button2", "Button3", "Button4"}));
    const int actions[] = {0, 1, 2, 1, 3};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ini.ReadInteger(buttons[i], "Action", -99), actions[i]) << buttons[i];
        // An icon button without a "frame" key would lose its image.
        EXPECT_EQ(ini.ReadInteger(buttons[i], "frame", 0), 4) << buttons[i];
    }
    EXPECT_EQ(ini.ReadString("Button1", "ButtonImage", "absent"), "absent");  // written, but empty
    bool written = false;
    const TStringList& lines = ini.Lines();
    for (int i = ini.FindSection("Button1") + 1; i < lines.Count() && lines.Get(i).rfind('[', 0) != 0; ++i)
        written = written || lines.Get(i) == "ButtonImage=";
    EXPECT_TRUE(written);
}

TEST(SkinGen, FramePieceEndsFitTheirStrips) {
    TLoaded& s = Skin();
    TQuickIni& ini = s.ini;
    EXPECT_EQ(ini.ReadInteger("Personality", "TopTopHeight", 0), 32);
    EXPECT_EQ(ini.ReadInteger("Personality", "TopBotHeight", 0), 39);
    struct TEnd {
        const char* piece;
        bool vertical;
    };
    for (const TEnd& e : {TEnd{"Left", false}, TEnd{"Right", false}, TEnd{"Top", true}, TEnd{"Bottom", true}}) {
        SCOPED_TRACE(e.piece);
        const TBmp bmp = ParseBmp(s.Entry(ini.ReadString("Personality", e.piece, "")));
        ASSERT_TRUE(bmp.ok);
        const int frames = ini.ReadInteger("Personality", std::string(e.piece) + "Frame", 1);
        // The two fixed ends lie along the piece: across the caption for the top
        // and bottom pieces, down the window for the side pieces.
        const int length = e.vertical ? bmp.width : bmp.height;
        const int ends = ini.ReadInteger("Personality", std::string(e.piece) + "TopHeight", 0) +
                         ini.ReadInteger("Personality", std::string(e.piece) + "BotHeight", 0);
        EXPECT_LT(ends, length);
        EXPECT_GT(e.vertical ? bmp.height / frames : bmp.width / frames, 0);
    }
    // The side pieces' caption part is as high as the caption.
    const TBmp top = ParseBmp(s.Entry(ini.ReadString("Personality", "Top", "")));
    EXPECT_EQ(ini.ReadInteger("Personality", "LeftTopHeight", 0), top.height / 2);
}

TEST(SkinGen, ColoursAndSections) {
    TQuickIni& ini = Skin().ini;
    static const std::set<std::string> known = {
        "windowtext",     "buttonface",  "scrollbar",       "hilighttext",      "hilight",     "menubar",
        "menu",           "menutext",    "buttontext",      "buttonhilight",    "buttonlight", "buttonshadow",
        "buttondkshadow", "menubartext", "titletextactive", "titletextnoactive"};
    const TStringList& lines = ini.Lines();
    const int at = ini.FindSection("Colours");
    ASSERT_GE(at, 0);
    int keys = 0;
    for (int i = at + 1; i < lines.Count() && lines.Get(i).rfind('[', 0) != 0; ++i) {
        const std::string line = lines.Get(i);
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        ++keys;
        EXPECT_TRUE(known.count(Lower(line.substr(0, eq)))) << line;
        int r = -1, g = -1, b = -1;
        EXPECT_EQ(std::sscanf(line.c_str() + eq + 1, "%d,%d,%d", &r, &g, &b), 3) << line;
        for (int v : {r, g, b}) EXPECT_TRUE(v >= 0 && v <= 255) << line;
    }
    EXPECT_EQ(keys, 14);

    EXPECT_FALSE(ini.ReadString("Skins", "Version", "").empty());
    EXPECT_EQ(ini.ReadString("TitlebarSkin", "SkinName", ""), "Satin Steel");
    EXPECT_FALSE(ini.ReadString("TitlebarSkin", "SkinAuthor", "").empty());
    EXPECT_FALSE(ini.ReadString("Buttons", "BMP Transparent", "").empty());
    for (const char* present : {"MinCaption", "ComboButton", "ExtraImages"})
        EXPECT_GE(ini.FindSection(present), 0) << present;
    // Without these the engine builds the combo arrows from [ComboButton] alone.
    for (const char* absent : {"SunkEdge", "GroupBox", "Progress.Chunk", "MDICONTROLS"})
        EXPECT_EQ(ini.FindSection(absent), -1) << absent;
}

// ---------------------------------------------------------------------------
// The writers.

TEST(SkinGen, BmpEntriesReadBackAsDrawn) {
    skingen::TImage img(3, 2);
    img.Set(0, 0, 0x112233);
    img.Set(2, 0, 0x445566);
    img.Set(1, 1, 0xAABBCC);
    const TBmp back = ParseBmp(skingen::BmpBytes(img));
    ASSERT_TRUE(back.ok) << back.why;
    ASSERT_EQ(back.width, 3);
    ASSERT_EQ(back.height, 2);
    EXPECT_EQ(back.pixels, img.Pixels);
}

TEST(SkinGen, ContactSheetShowsEveryBitmapTwiceItsSize) {
    const auto bitmaps = skingen::DrawSkinBitmaps();
    const skingen::TImage sheet = skingen::ContactSheet(bitmaps, 2);
    const Bytes png = skingen::PngBytes(sheet);
    TRgbImage read;
    std::string error;
    ASSERT_TRUE(ReadPng(std::string(png.begin(), png.end()), read, error)) << error;
    ASSERT_EQ(read.Width, static_cast<uint32_t>(sheet.Width));
    ASSERT_EQ(read.Height, static_cast<uint32_t>(sheet.Height));

    // Each bitmap appears somewhere as 2 x 2 blocks; find the top-left block of
    // every bitmap by its first row and check it whole, magenta included.
    auto sheetAt = [&](int x, int y) { return read.At(static_cast<uint32_t>(x), static_cast<uint32_t>(y)); };
    int magentaBitmaps = 0;
    for (const auto& b : bitmaps) {
        bool found = false;
        for (int y = 0; !found && y + 2 * b.Image.Height <= sheet.Height; ++y)
            for (int x = 0; !found && x + 2 * b.Image.Width <= sheet.Width; ++x) {
                bool same = true;
                for (int iy = 0; same && iy < 2 * b.Image.Height; ++iy)
                    for (int ix = 0; same && ix < 2 * b.Image.Width; ++ix)
                        same = sheetAt(x + ix, y + iy) == b.Image.At(ix / 2, iy / 2);
                found = same;
            }
        EXPECT_TRUE(found) << b.Name;
        if (std::find(b.Image.Pixels.begin(), b.Image.Pixels.end(), skingen::Magenta) != b.Image.Pixels.end())
            ++magentaBitmaps;
    }
    EXPECT_GT(magentaBitmaps, 0);
}

}  // namespace

#include "skin/TinselData.h"

#include <algorithm>
#include <cstring>

#include "classlib/Controls.h"
#include "classlib/Dialogs.h"
#include "classlib/Forms.h"
#include "classlib/SysUtils.h"
#include "classlib/SysVersion.h"
#include "classlib/TypInfo.h"
#include "skin/EngineBitmaps.h"
#include "skin/ImgUtil.h"
#include "skin/SkinClassMap.h"
#include "skin/SkinManage.h"
#include "skin/SkinRead.h"
#include "skin/TinselForm.h"
#include "skin/TinselIni.h"

DP_PUBLISHED(TDataSkinObject){};
DP_PUBLISHED(TDataSkinBorder){};
DP_PUBLISHED(TDataSkinTitle){};
DP_PUBLISHED(TDataSkinButton){};
DP_PUBLISHED(TDataSkinSysButton){};
DP_PUBLISHED(TDataSkinBoxLabel){};

TDataSkinObject::TDataSkinObject(const std::string& name) : Bitmap(std::make_unique<TBitmap>()), Name(name) {}
TDataSkinObject::~TDataSkinObject() = default;

TDataSkinBorder::TDataSkinBorder(const std::string& name)
    : TDataSkinObject(name), Bitmap2(std::make_unique<TBitmap>()) {}
TDataSkinBorder::~TDataSkinBorder() = default;

TDataSkinTitle::TDataSkinTitle(const std::string& name) : TDataSkinObject(name) {}
TDataSkinTitle::~TDataSkinTitle() = default;

TDataSkinButton::TDataSkinButton(const std::string& name)
    : TDataSkinObject(name), CheckBitmap(std::make_unique<TBitmap>()), RadioBitmap(std::make_unique<TBitmap>()) {}
TDataSkinButton::~TDataSkinButton() = default;

TDataSkinSysButton::TDataSkinSysButton(const std::string& name) : TDataSkinObject(name) {}
TDataSkinSysButton::~TDataSkinSysButton() = default;

TDataSkinBoxLabel::TDataSkinBoxLabel(const std::string& name) : TDataSkinObject(name) {}
TDataSkinBoxLabel::~TDataSkinBoxLabel() = default;

TRect SkinFrameRect(TBitmap* strip, int32_t frames, int32_t index, bool vertical) {
    TSkinCell cell;
    if (!strip || strip->Empty() || !SkinFrameCell(strip->Width(), strip->Height(), frames, index, vertical, cell))
        return Rect(0, 0, 0, 0);
    return Bounds(cell.Left, cell.Top, cell.Width, cell.Height);
}

TSize SkinFrameSize(TBitmap* strip, int32_t frames, bool vertical) {
    const TRect r = SkinFrameRect(strip, frames, 1, vertical);
    return TSize{RectWidth(r), RectHeight(r)};
}

// ===========================================================================
// The skin data component

DP_PUBLISHED(TSkinData){
    DP_PROP_BOOL(Active, Active, SetActive),
    DP_PROP_INT(DisableTag, DisableTag, SetDisableTag),
    DP_PROP_SET(SkinControls, SkinControls, SetSkinControls),
    DP_PROP_SET(Options, Options, SetOptions),
    DP_PROP_STRINGS(Skin3rd, Skin3rd, SetSkin3rd),
    DP_PROP_STR(SkinFile, SkinFile, SetSkinFile),
    DP_PROP_STR(SkinStore, SkinStore, SetSkinStore),
    DP_PROP_ENUM(SkinFormtype, SkinFormtype, SetSkinFormtype),
    DP_PROP_STR(Version, Version, SetVersion),
    DP_PROP_BOOL(MenuUpdate, MenuUpdate, SetMenuUpdate),
    DP_PROP_BOOL(MenuMerge, MenuMerge, SetMenuMerge),
    DP_PROP_EVENT(OnFormSkin, OnFormSkin, SetOnFormSkin),
    DP_PROP_EVENT(OnSkinChanged, OnSkinChanged, SetOnSkinChanged),
    DP_PROP_EVENT(OnSkinControl, OnSkinControl, SetOnSkinControl),
    DP_PROP_EVENT(OnBeforeSkinForm, OnBeforeSkinForm, SetOnBeforeSkinForm),
    DP_PROP_EVENT(OnAfterSkinForm, OnAfterSkinForm, SetOnAfterSkinForm),
};

namespace {

// The optional user32 entry points, looked up once.
struct TUser32Entries {
    using TGetScrollBarInfo = BOOL(WINAPI*)(HWND, LONG, PSCROLLBARINFO);
    using TTrackMouseEvent = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);
    HMODULE Module = nullptr;
    TGetScrollBarInfo GetScrollBarInfo = nullptr;
    TTrackMouseEvent TrackMouseEvent = nullptr;

    TUser32Entries() {
        Module = LoadLibraryA("user32.dll");
        if (!Module) return;
        GetScrollBarInfo =
            reinterpret_cast<TGetScrollBarInfo>(reinterpret_cast<void*>(GetProcAddress(Module, "GetScrollBarInfo")));
        TrackMouseEvent =
            reinterpret_cast<TTrackMouseEvent>(reinterpret_cast<void*>(GetProcAddress(Module, "TrackMouseEvent")));
        SkinGetComboBoxInfo =
            reinterpret_cast<TGetComboBoxInfoProc>(reinterpret_cast<void*>(GetProcAddress(Module, "GetComboBoxInfo")));
    }
    ~TUser32Entries() {
        if (Module) FreeLibrary(Module);
    }
};

const TUser32Entries& User32() {
    static const TUser32Entries entries;
    return entries;
}

std::string Upper(std::string s) { return UpperCase(s); }

void ClearBitmap(TBitmap* bitmap) {
    if (bitmap) bitmap->SetHandle(nullptr);
}

bool HasImage(const TBitmap* bitmap) { return bitmap && !bitmap->Empty(); }

template <class T>
bool HasImage(const std::unique_ptr<T>& element) {
    return element && HasImage(element->Bitmap.get());
}

}  // namespace

TGetComboBoxInfoProc SkinGetComboBoxInfo = nullptr;

TSkinData::TSkinData(TComponent* owner)
    : TComponent(owner),
      Title(std::make_unique<TDataSkinTitle>("Title")),
      Buttons(std::make_unique<TDataSkinButton>("Buttons")),
      AppIcon(std::make_unique<TBitmap>()),
      CaptionFont(std::make_unique<TFont>()),
      FSkin3rd(std::make_unique<TStringList>()) {
    User32();
    // The package reader's messages go to a message box, unless a caller took them first.
    if (!SkinMessageHook) InstallSkinMessageBox();
    AddDefaultSkin3rd(*FSkin3rd);
    static const char* const names[4] = {"Left", "Right", "Top", "Bottom"};
    for (int i = 0; i < 4; ++i) Borders[i] = std::make_unique<TDataSkinBorder>(names[i]);
    CustomColors.fill(clWhite);
    AppIcon->SetTransparentColor(TRANSPARENT_KEY);
    AppIcon->SetTransparent(true);
    LoadMenuGlyphs();
}

TSkinData::~TSkinData() {
    if (SkinManager) SkinManager->RemoveSkinData(this);
    if (ButtonFaceBrush) DeleteObject(ButtonFaceBrush);
}

void TSkinData::LoadMenuGlyphs() {
    MenuGlyphs = std::make_unique<TImageList>(nullptr);
    MenuGlyphs->SetWidth(16);
    TBitmap glyphs;
    if (LoadEngineBitmap(glyphs, "TINSELMENU")) {
        MenuGlyphs->SetHeight(glyphs.Height());
        MenuGlyphs->AddMasked(&glyphs, clWhite);
    }
}

void TSkinData::SetSkin3rd(TStrings* value) {
    if (value) FSkin3rd->Assign(*value);
}

std::string TSkinData::SkinStore() const {
    return Designing() && const_cast<TMemoryStream&>(PackageStream).Size() > 0 ? "(Good)" : "(none)";
}

void TSkinData::DefineProperties(TFiler& filer) {
    TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "SkinStream", [this](TStream& s) { ReadStream(s); }, [this](TStream& s) { WriteStream(s); }, true);
}

void TSkinData::ReadStream(TStream& stream) {
    const int64_t left = stream.Size() - stream.Position();
    if (left < 4) return;
    const int32_t n = stream.ReadI32();
    // A length past the bytes that follow is a damaged property: no skin rather than a
    // read error that would abort the whole form.
    if (n <= 0 || n > left - 4) return;
    PackageStream.Clear();
    PackageStream.SetSize(n);
    PackageStream.SetPosition(0);
    stream.ReadBuffer(PackageStream.Memory(), n);
    PackageStream.SetPosition(0);
    if (!Designing()) LoadSkin();
}

void TSkinData::WriteStream(TStream& stream) {
    const int64_t size = PackageStream.Size();
    stream.WriteI32(static_cast<int32_t>(size));
    if (size > 0) stream.WriteBuffer(PackageStream.Memory(), size);
}

void TSkinData::Loaded() {
    TComponent::Loaded();
    if (Designing()) return;
    if (!SkinHasScrollBarInfo()) FSkinControls.Exclude(xcScrollbar);
    TSkinManage* manager = EnsureSkinManager();
    manager->AddSkinData(this);
    MakeCaptionFont();
    if (FSkinFormtype != sfMainform) {
        manager->Enabled = true;
        manager->State += 1;
        if (auto* form = DynamicAs<TCustomForm>(Owner()); form && FActive) manager->SkinWindow(form->Handle());
        return;
    }
    manager->InstallHook();
    if (FActive) {
        if (SkinEmpty)
            FActive = false;
        else
            manager->PostAction(1, 250);
    }
    if (FSkinControls.Contains(xcMainMenu))
        FSkinControls.Exclude(xcMenuItem);
    else
        FSkinControls.Exclude(xcSystemMenu);
    MakeAppIcon();
}

void TSkinData::SetActive(bool value) {
    if (value == FActive) return;
    FActive = value;
    // Before Loaded there is no manager to ask; Loaded looks at Active itself.
    if (Designing() || Reading() || !SkinManager) return;
    switch (FSkinFormtype) {
        case sfMainform:
            if (value) {
                if (SkinEmpty) return;
                SkinManager->SetCurrentData(this);
                // Running first: a manager not yet running only enables skinning, and the
                // windows already shown would wait for an activation that never comes.
                SkinManager->State = 1;
                SkinManager->PostAction(1, 250);
            } else {
                SkinManager->SetCurrentData(this);
                SkinManager->PostAction(2, 250);
            }
            break;
        case sfOnlyThisForm:
            SkinManager->SetCurrentData(this);
            if (value && SkinEmpty) return;
            SkinManager->PostAction(value ? 1 : 2, 250);
            break;
        case sfDialog:
        case sfDLL: break;
    }
}

void TSkinData::SetSkinFile(const std::string& value) {
    SkinEmpty = true;
    FSkinFile = value;
    if (Designing()) {
        if (!value.empty()) PackageStream.Clear();
        return;
    }
    if (value.empty() || !FileExists(value)) return;
    try {
        TMemoryStream file;
        file.LoadFromFile(value);
        PackageStream.Clear();
        PackageStream.CopyFrom(file, 0);
        PackageStream.SetPosition(0);
    } catch (const Exception&) {
        // Gone or unreadable since the check: as for a file that does not exist.
        return;
    }
    LoadSkin();
    ApplySkin();
}

void TSkinData::ApplySkin() {
    if (Designing() || Reading()) return;
    if (!SkinManager) Loaded();
    SkinManager->SetCurrentData(this);
    SkinManager->RefreshSkinData();
    if (SkinManager->State == 1) SkinManager->PostAction(3, 250);
}

void TSkinData::DoFormSkin(HWND, const std::string& className, bool& doSkin) {
    if (FOnFormSkin) {
        FOnFormSkin(this, className, doSkin);
        return;
    }
    if (className == "SysMonthCal32" || (FSkinControls.Contains(xcFastReport) && className.compare(0, 3, "Tfr") == 0))
        doSkin = false;
}

void TSkinData::DoSkinChanged() {
    if (FOnSkinChanged) FOnSkinChanged(this);
}

bool TSkinData::LoadSkin() {
    SkinEmpty = true;
    if (Designing()) return false;
    // Forms skinned by this component hold its caption-button records: they let go first and
    // take the new ones however the reading ends.
    if (SkinManager) SkinManager->DropSkinRecords(this);
    struct TRetake {
        TSkinData* Data;
        ~TRetake() {
            if (SkinManager) SkinManager->TakeSkinRecords(Data);
        }
    } retake{this};
    auto reader = std::make_unique<TSkinReader>();
    TQuickIni ini;
    bool ok = false;
    FReader = reader.get();
    FIni = &ini;
    try {
        PackageStream.SetPosition(0);
        if (reader->LoadFromStream(PackageStream)) {
            std::string found;
            EntryStream.Clear();
            reader->FindEntry(".ini", EntryStream, found);
            EntryStream.SetPosition(0);
            ini.LoadFromStream(EntryStream);
            ReadSkinIni();
            ok = true;
        }
    } catch (const Exception&) {
        // Out of memory or a stream that failed: no skin, as for a refused package.
        SkinEmpty = true;
        ok = false;
    }
    FReader = nullptr;
    FIni = nullptr;
    EntryStream.Clear();
    return ok;
}

void TSkinData::LoadBitmap(TBitmap* bitmap, const std::string& value) {
    if (!bitmap) return;
    const size_t cut = value.find_last_of("\\:");
    const std::string name = cut == std::string::npos ? value : value.substr(cut + 1);
    const size_t dot = name.rfind('.');
    if (name.empty() || !FReader || dot == std::string::npos || name.substr(dot) != ".bmp") {
        ClearBitmap(bitmap);
        return;
    }
    FReader->ReadEntry(name, EntryStream);
    if (EntryStream.Size() == 0) {
        ClearBitmap(bitmap);
        return;
    }
    EntryStream.SetPosition(0);
    try {
        bitmap->LoadFromStream(EntryStream);
    } catch (const Exception&) {
        // A damaged image is an image the skin does not have, not the end of the skin.
        ClearBitmap(bitmap);
    }
}

// --- the ini readers

void TSkinData::ReadSkinIni() {
    SkinEmpty = true;
    TStringList sections;
    if (FIni) FIni->ReadSections(sections);
    TQuickIni empty;
    TQuickIni& ini = FIni ? *FIni : empty;
    TQuickIni* saved = FIni;
    FIni = &ini;

    SkinName = ini.ReadString("TitlebarSkin", "SkinName", "");
    ReadBorders();
    ReadColours(sections);
    ReadSysButtons(sections);
    ReadButtons();
    ReadTitle();
    ReadProgress(Progress, "Progress");
    ReadElement(ProgressChunk, "Progress.Chunk");
    ReadMenuBar();
    ReadElement(GroupBoxEdge, "GroupBoxEdge");
    ReadGroupBox(GroupBox, "GroupBox");
    ReadBorderElement(Tabs, "Tabs", "Border");
    ReadElement(StatusBarEdges, "StatusBarEdges");
    ReadElement(TabPane, "Tab.Pane");
    if (TabPane) {
        TRect& m = TabPane->Margins;
        m.left = std::min<LONG>(m.left, 4);
        m.top = std::min<LONG>(m.top, 4);
        m.right = std::min<LONG>(m.right, 4);
        m.bottom = std::min<LONG>(m.bottom, 4);
    }
    ReadElement(ToolBars, "ToolBars");
    ReadBorderElement(ComboButton, "ComboButton", "****");
    ReadElement(SunkEdge, "SunkEdge");
    if (HasImage(ComboButton)) {
        CopyBitmap(ComboButton->Bitmap.get(), ComboButton->Bitmap2.get());
        ComboButton->Bitmap2->SetPixelFormat(pf24bit);
        MirrorBitmap(ComboButton->Bitmap2.get());
    }
    ReadElement(ExtraImages, "ExtraImages");
    ReadElement(Headerbar, "Headerbar");
    ReadElement(MenuItem, "MenuItem");
    ReadElement(MenuBackground, "MenuBackground");
    ReadElement(Scrollbar, "Scrollbar");
    ReadElement(HorzScroll, "HorzScroll");
    ReadElement(VertScroll, "VertScroll");
    ReadElement(HorzScrollThumb, "HorzScrollThumb");
    ReadElement(VertScrollThumb, "VertScrollThumb");
    ReadElement(TrackThumbHorz, "Trackbar.ThumbHorz");
    ReadElement(TrackThumbVert, "Trackbar.ThumbVert");
    ReadElement(TrackThumbLeft, "Trackbar.ThumbLeft");
    ReadElement(TrackThumbRight, "Trackbar.ThumbRight");
    ReadElement(TrackThumbUp, "Trackbar.ThumbUp");
    ReadElement(TrackThumbDown, "Trackbar.ThumbDown");
    ReadBorderElement(UpDownHorz, "UpDown.Horz", "GlyphImage");
    ReadBorderElement(UpDownVert, "UpDown.Vert", "GlyphImage");
    ReadElement(Track, "Track");
    ReadElement(TrackVert, "TRACKVERT");
    if (!Track) LoadResourceElement(Track, "TRACK");
    if (!TrackVert) LoadResourceElement(TrackVert, "TRACKVERT");
    FixFrames();
    MakeComboStrip();
    MakeComboArrows();
    MakeToolbarGradient();
    TitleColour = ProbeTitleColour();
    if (ButtonFaceBrush) DeleteObject(ButtonFaceBrush);
    ButtonFaceBrush = CreateSolidBrush(ColorToRGB(Colours.ButtonFace));
    FIni = saved;
    SkinEmpty = false;
}

void TSkinData::ReadColours(const TStrings& sections) {
    const TQuickIni& ini = *FIni;
    auto colour = [&](const char* key, TColor def) { return ParseColour(ini.ReadString("Colours", key, ""), def); };
    TSkinColours& c = Colours;
    c.WindowText = colour("WindowText", clWindowText);
    c.ButtonFace = colour("ButtonFace", clBtnFace);
    c.Scrollbar = colour("Scrollbar", clScrollBar);
    c.HilightText = colour("HilightText", clHighlightText);
    c.Hilight = colour("Hilight", clHighlight);
    c.Menubar = colour("Menubar", c.ButtonFace);
    c.Menu = colour("Menu", clMenu);
    c.MenuText = colour("MenuText", clMenuText);
    c.ButtonText = colour("ButtonText", clBtnText);
    c.ButtonHilight = colour("ButtonHilight", clBtnHighlight);
    c.Buttonlight = colour("Buttonlight", clBtnHighlight);
    c.ButtonShadow = colour("ButtonShadow", clBtnShadow);
    c.ButtonDkShadow = colour("ButtonDkShadow", cl3DDkShadow);
    c.MenuBarText = colour("MenuBarText", clMenuText);
    c.TitleTextActive = colour("TitleTextActive", clCaptionText);
    c.TitleTextNoActive = colour("TitleTextNoActive", clInactiveCaptionText);

    SectionColours.clear();
    for (int i = 0; i < sections.Count(); ++i) {
        const std::string name = Upper(sections[i]);
        if (name.rfind("COLOUR", 0) == 0 && name != "COLOURS")
            SectionColours.push_back(ParseColour(ini.ReadString(sections[i], "color", ""), clWindowText));
    }
    for (int i = 0; i < 10; ++i)
        CustomColors[i] = ParseColour(ini.ReadString("Customcolors", "Color" + std::to_string(i), ""), clWhite);
}

void TSkinData::ReadBorders() {
    const TQuickIni& ini = *FIni;
    for (int i = 0; i < 4; ++i) {
        TDataSkinBorder& b = *Borders[i];
        const std::string n = b.Name;
        const int32_t first = ini.ReadInteger("Personality", n + "TopHeight", 0);
        const int32_t second = ini.ReadInteger("Personality", n + "BotHeight", 0);
        if (i < 2)
            b.Margins = Rect(0, first, 0, second);
        else
            b.Margins = Rect(first, 0, second, 0);
        b.Frames = std::max(1, ini.ReadInteger("Personality", n + "Frame", 1));
        b.Tile = ini.ReadInteger("Personality", n + "Stretch", 1);
        b.Trans = ini.ReadInteger("Personality", n + "Trans", 1);
        LoadBitmap(b.Bitmap.get(), ini.ReadString("Personality", n, ""));
        if (b.Tile > 1) b.Tile = 1;
    }
}

void TSkinData::ReadSysButtons(const TStrings& sections) {
    const TQuickIni& ini = *FIni;
    SysButtons.clear();
    for (int i = 0; i < sections.Count(); ++i) {
        const std::string& section = sections[i];
        const std::string upper = Upper(section);
        if (upper.rfind("BUTTON", 0) != 0) continue;
        if (!SkinIsCaptionButtonSection(upper, ini.ReadInteger(section, "Action", 0),
                                        ini.ReadInteger(section, "Visibility", -1)))
            continue;
        auto b = std::make_unique<TDataSkinSysButton>(upper);
        b->Action = ini.ReadInteger(section, "Action", 0);
        b->Align = ini.ReadInteger(section, "Align", 0);
        b->XCoord = ini.ReadInteger(section, "Xcoord", 0);
        b->YCoord = ini.ReadInteger(section, "Ycoord", 0);
        b->Visibility = ini.ReadInteger(section, "Visibility", 0);
        b->Visibility1 = ini.ReadInteger(section, "Visibility1", b->Action == -1 ? -1 : 0);
        b->CombineOp = ini.ReadInteger(section, "CombineOp", -1);
        b->Frames = ini.ReadInteger(section, "frame", 0);
        LoadBitmap(b->Bitmap.get(), ini.ReadString(section, "ButtonImage", ""));
        if (b->Frames == 0) {
            b->Frames = SkinCaptionButtonFrames(b->Bitmap->Width(), b->Bitmap->Height(), b->Action);
            if (b->Action == 3 || b->Action == 11) ClearBitmap(b->Bitmap.get());
        }
        SysButtons.push_back(std::move(b));
    }
    for (int32_t action = 7; action <= 9; ++action) {
        auto b = std::make_unique<TDataSkinSysButton>("MDICONTROLS");
        b->Action = action;
        b->Align = b->Visibility = b->Visibility1 = 100;
        b->Frames = 4;
        SysButtons.push_back(std::move(b));
    }
    ReadMdiControls();
}

void TSkinData::ReadMdiControls() {
    TBitmap strip;
    LoadBitmap(&strip, FIni->ReadString("MDICONTROLS", "Image", ""));
    if (strip.Empty()) return;
    const int32_t c = strip.Width() / 12;
    const int32_t h = strip.Height();
    if (c < 1) return;  // too narrow for its twelve cells: the buttons keep no image
    const size_t first = SysButtons.size() - 3;
    for (int i = 0; i < 3; ++i) {
        TDataSkinSysButton& b = *SysButtons[first + i];
        b.Bitmap->SetPixelFormat(pf24bit);
        b.Bitmap->SetSize(4 * c, h);
        b.Bitmap->Canvas()->CopyRect(Rect(0, 0, 4 * c, h), strip.Canvas(), Rect(4 * c * i, 0, 4 * c * (i + 1), h));
        b.XCoord = (c + 4) * (3 - i);
    }
}

void TSkinData::ReadButtons() {
    const TQuickIni& ini = *FIni;
    TDataSkinButton& b = *Buttons;
    const char* s = "Buttons";
    b.Margins = Rect(ini.ReadInteger(s, "LeftWidth", 0), ini.ReadInteger(s, "TopHeight", 0),
                     ini.ReadInteger(s, "RightWidth", 0), ini.ReadInteger(s, "BottomHeight", 0));
    b.Trans = ini.ReadInteger(s, "Trans", 0);
    LoadBitmap(b.Bitmap.get(), ini.ReadString(s, "Bitmap", ""));
    b.Tile = ini.ReadInteger(s, "Tile", 0);
    LoadBitmap(b.CheckBitmap.get(), ini.ReadString(s, "CheckButton", ""));
    LoadBitmap(b.RadioBitmap.get(), ini.ReadString(s, "RadioButton", ""));
    b.NormalColour = ini.ReadInteger(s, "NormalColour", -1);
    b.MouseOverColour = ini.ReadInteger(s, "MouseOverColour", -1);
    b.PressedColour = ini.ReadInteger(s, "PressedColour", -1);
    b.RadioFrames = ini.ReadInteger(s, "RadioButtonFrame", 0);
    b.CheckFrames = ini.ReadInteger(s, "CheckButtonFrame", 0);
    if (b.Tile > 1) b.Tile = 0;
    const std::string n2 = ini.ReadString(s, "NormalColour2", "");
    const std::string m2 = ini.ReadString(s, "MouseOverColour2", "");
    const std::string p2 = ini.ReadString(s, "PressedColour2", "");
    b.HasNormalColour2 = !n2.empty();
    b.HasMouseOverColour2 = !m2.empty();
    b.HasPressedColour2 = !p2.empty();
    b.NormalColour2 = ParseColour(n2, Colours.ButtonText);
    b.MouseOverColour2 = ParseColour(m2, Colours.ButtonText);
    b.PressedColour2 = ParseColour(p2, Colours.ButtonText);
}

void TSkinData::ReadTextColour(const std::string& section, const std::string& prefix, TColor& colour) {
    const int32_t r = FIni->ReadInteger(section, prefix + "R", -1);
    const int32_t g = FIni->ReadInteger(section, prefix + "G", -1);
    const int32_t b = FIni->ReadInteger(section, prefix + "B", -1);
    if (r >= 0 && g >= 0 && b >= 0) colour = SkinRGB(r, g, b);
}

void TSkinData::ReadTitle() {
    const TQuickIni& ini = *FIni;
    TDataSkinTitle& t = *Title;
    const char* s = "Personality";
    LoadBitmap(t.Bitmap.get(), ini.ReadString(s, "TextBack", ""));
    t.Margins = Rect(ini.ReadInteger(s, "TextShift", 0), ini.ReadInteger(s, "TextShiftVert", 0),
                     ini.ReadInteger(s, "TextRightClip", 0), 0);
    t.TextAlignment = ini.ReadInteger(s, "TextAlignment", 0);
    t.TextBackground = ini.ReadInteger(s, "Textbackground", 0);
    t.FontHeight = ini.ReadInteger("Fonts", "FontHeight", 14);
    t.TextBackLeft = ini.ReadInteger(s, "TXTBackleft", 0);
    t.TextBackRight = ini.ReadInteger(s, "TXTBackRight", 0);
    t.ActiveTextColour = TITLE_COLOUR_NONE;
    ReadTextColour(s, "ActiveText", t.ActiveTextColour);
    t.InactiveTextColour = TITLE_COLOUR_NONE;
    ReadTextColour(s, "InActiveText", t.InactiveTextColour);
}

void TSkinData::ReadCommonKeys(TDataSkinObject& e, const std::string& section, bool readFrame) {
    const TQuickIni& ini = *FIni;
    e.Style = ini.ReadInteger(section, "Style", 0);
    e.Margins = Rect(ini.ReadInteger(section, "LeftWidth", 0), ini.ReadInteger(section, "TopHeight", 0),
                     ini.ReadInteger(section, "RightWidth", 0), ini.ReadInteger(section, "BottomHeight", 0));
    if (readFrame) e.Frames = ini.ReadInteger(section, "Frame", 0);
    e.Trans = ini.ReadInteger(section, "Trans", 0);
    e.Tile = ini.ReadInteger(section, "Tile", 0);
    e.NormalColour = ini.ReadInteger(section, "NormalColour", -1);
    e.MouseOverColour = ini.ReadInteger(section, "MouseOverColour", -1);
    e.PressedColour = ini.ReadInteger(section, "PressedColour", -1);
    e.NormalColour2 = ParseColour(ini.ReadString(section, "NormalColour2", ""), Colours.ButtonText);
    e.MouseOverColour2 = ParseColour(ini.ReadString(section, "MouseOverColour2", ""), Colours.ButtonText);
    e.PressedColour2 = ParseColour(ini.ReadString(section, "PressedColour2", ""), Colours.ButtonText);
    if (e.Tile > 1) e.Tile = 0;
}

void TSkinData::ReadElement(std::unique_ptr<TDataSkinObject>& slot, const std::string& section) {
    slot.reset();
    const std::string image = FIni->ReadString(section, "Image", "");
    if (image.empty()) return;
    slot = std::make_unique<TDataSkinObject>(section);
    LoadBitmap(slot->Bitmap.get(), image);
    ReadCommonKeys(*slot, section, true);
}

void TSkinData::ReadBorderElement(std::unique_ptr<TDataSkinBorder>& slot, const std::string& section,
                                  const std::string& secondKey) {
    slot.reset();
    const std::string image = FIni->ReadString(section, "Image", "");
    if (image.empty()) return;
    slot = std::make_unique<TDataSkinBorder>(section);
    LoadBitmap(slot->Bitmap.get(), image);
    ReadCommonKeys(*slot, section, false);
    const std::string second = FIni->ReadString(section, secondKey, "");
    if (!second.empty()) LoadBitmap(slot->Bitmap2.get(), second);
}

void TSkinData::ReadGroupBox(std::unique_ptr<TDataSkinBoxLabel>& slot, const std::string& section) {
    slot.reset();
    const std::string image = FIni->ReadString(section, "Image", "");
    if (image.empty()) return;
    slot = std::make_unique<TDataSkinBoxLabel>(section);
    LoadBitmap(slot->Bitmap.get(), image);
    ReadCommonKeys(*slot, section, false);
    slot->BackgroundAlignment = FIni->ReadInteger(section, "BackgroundAlignment", 0);
    slot->BackgroundLeftShift = FIni->ReadInteger(section, "BackgroundLeftShift", 0);
    slot->BackgroundRightShift = FIni->ReadInteger(section, "BackgroundRightShift", 0);
}

void TSkinData::ReadProgress(std::unique_ptr<TDataSkinBorder>& slot, const std::string& section) {
    slot.reset();
    const TQuickIni& ini = *FIni;
    const std::string image = ini.ReadString(section, "Bitmap", "");
    if (image.empty()) return;
    slot = std::make_unique<TDataSkinBorder>(section);
    LoadBitmap(slot->Bitmap.get(), image);
    slot->Style = ini.ReadInteger(section, "Style", 0);
    slot->Margins = Rect(ini.ReadInteger(section, "LeftWidth", 0), ini.ReadInteger(section, "TopHeight", 0),
                         ini.ReadInteger(section, "RightWidth", 0), ini.ReadInteger(section, "BottomHeight", 0));
    slot->Trans = ini.ReadInteger(section, "Trans", 0);
    slot->Tile = ini.ReadInteger(section, "Tile", 0);
    if (slot->Tile > 1) slot->Tile = 1;
}

void TSkinData::ReadMenuBar() {
    MenuBar.reset();
    const TQuickIni& ini = *FIni;
    const char* s = "Personality";
    const std::string image = ini.ReadString(s, "menuBar", "");
    if (image.empty()) return;
    MenuBar = std::make_unique<TDataSkinObject>("Personality");
    LoadBitmap(MenuBar->Bitmap.get(), image);
    MenuBar->Tile = ini.ReadInteger(s, "TileMenu", 1);
    MenuBar->Margins = Rect(ini.ReadInteger(s, "TileLeftMenu", 1), 0, ini.ReadInteger(s, "TileRightMenu", 1), 0);
    if (MenuBar->Tile > 1) MenuBar->Tile = 1;
}

void TSkinData::LoadResourceElement(std::unique_ptr<TDataSkinObject>& slot, const char* name) {
    auto e = std::make_unique<TDataSkinObject>(name);
    // A program without the resource keeps the slot empty, so no painter meets an
    // element without an image it took for granted.
    if (!LoadEngineBitmap(*e->Bitmap, name)) return;
    e->Margins = Rect(3, 3, 3, 3);
    e->Tile = 0;
    e->Frames = 1;
    slot = std::move(e);
}

void TSkinData::FixFrames() {
    Buttons->Frames = 5;
    if (Buttons->RadioFrames == 0)
        Buttons->RadioFrames = SkinGlyphFrames(Buttons->RadioBitmap->Width(), Buttons->RadioBitmap->Height());
    if (Buttons->CheckFrames == 0)
        Buttons->CheckFrames = SkinGlyphFrames(Buttons->CheckBitmap->Width(), Buttons->CheckBitmap->Height());
    Title->Frames = 2;
    auto force = [](auto& slot, int32_t frames) {
        if (slot) slot->Frames = frames;
    };
    if (Progress) Progress->Frames = Progress->Style != 0 ? 1 : 2;
    force(MenuBar, 2);
    force(GroupBoxEdge, 2);
    force(GroupBox, 1);
    force(Tabs, 5);
    force(StatusBarEdges, 3);
    force(TabPane, 1);
    force(ToolBars, 5);
    force(ComboButton, 4);
    force(SunkEdge, 4);
    force(ExtraImages, 5);
    if (Headerbar && Headerbar->Frames == 0) Headerbar->Frames = 5;
    force(MenuItem, 5);
    force(MenuBackground, 1);
    force(Scrollbar, 23);
    force(HorzScroll, 4);
    force(VertScroll, 4);
    // Painters divide by these, so a count below 1 is taken as 1.
    if (HorzScrollThumb) HorzScrollThumb->Frames = std::max(1, FIni->ReadInteger("HorzScrollThumb", "FrameCount", 3));
    if (VertScrollThumb) VertScrollThumb->Frames = std::max(1, FIni->ReadInteger("VertScrollThumb", "FrameCount", 3));
    force(TrackThumbHorz, 5);
    force(TrackThumbVert, 5);
    force(TrackThumbLeft, 5);
    force(TrackThumbRight, 5);
    force(TrackThumbUp, 5);
    force(TrackThumbDown, 5);
    force(UpDownHorz, 8);
    force(UpDownVert, 8);
}

// --- the images made from the others

void TSkinData::MakeComboStrip() {
    if (!SunkEdge || !ComboButton) return;
    const int32_t frames = SunkEdge->Frames;
    const int32_t bw = GetSystemMetrics(SM_CXHSCROLL) + 2;
    TBitmap result;
    result.SetPixelFormat(pf24bit);
    result.SetSize(50 * frames, 21);
    result.Canvas()->Brush()->SetColor(TRANSPARENT_KEY);
    result.Canvas()->FillRect(Rect(0, 0, result.Width(), 21));
    TBitmap cell;
    cell.SetPixelFormat(pf24bit);
    cell.SetSize(50, 21);
    cell.Canvas()->Brush()->SetColor(TRANSPARENT_KEY);
    const TRect button = Rect(50 - bw, 0, 50, 21);
    for (int32_t n = 1; n <= frames; ++n) {
        // Each cell starts keyed, so a transparent pixel never shows the frame before.
        cell.Canvas()->FillRect(Rect(0, 0, 50, 21));
        HDC dc = cell.Canvas()->Handle();
        SkinDrawFrame(dc, Rect(0, 0, 50, 21), SunkEdge->Bitmap.get(), false, false, SunkEdge->Trans == 1, frames, n,
                      SunkEdge->Margins);
        SkinDrawFrame(dc, button, ComboButton->Bitmap.get(), false, false, true, ComboButton->Frames, n,
                      ComboButton->Margins);
        if (ExtraImages) SkinDrawFrameCentered(dc, button, ExtraImages->Bitmap.get(), true, ExtraImages->Frames, n);
        cell.Canvas()->FillRect(Rect(2, 2, 49 - bw, 18));
        result.Canvas()->Draw((n - 1) * 50, 0, &cell);
    }
    ComboButton->Style = 2;
    ComboButton->Margins = SunkEdge->Margins;
    ComboButton->Margins.left = 2;
    ComboButton->Margins.right = bw + 2;
    CopyBitmap(&result, ComboButton->Bitmap.get());
    MirrorBitmap(&result);
    CopyBitmap(&result, SunkEdge->Bitmap.get());
    SunkEdge->Margins.left = bw + 2;
    SunkEdge->Margins.right = 2;
}

void TSkinData::MakeComboArrows() {
    if (!ComboxArrow) ComboxArrow = std::make_unique<TDataSkinObject>("ComboxArrow");
    TBitmap* arrow = ComboxArrow->Bitmap.get();
    if (!SunkEdge && ComboButton) {
        CopyBitmap(ComboButton->Bitmap.get(), arrow);
        ReplaceMagenta(arrow, static_cast<TColor>(ColorToRGB(Colours.ButtonFace)));
        ComboxArrow->Frames = ComboButton->Frames;
    } else if (SunkEdge && ComboButton && ComboButton->Style == 2) {
        const int32_t frames = SunkEdge->Frames;
        const int32_t fw = ComboButton->Bitmap->Width() / frames;
        arrow->SetHandle(nullptr);
        arrow->SetPixelFormat(pf24bit);
        arrow->SetSize(17 * frames, 17);
        for (int32_t i = 0; i < frames; ++i)
            arrow->Canvas()->CopyRect(Rect(17 * i, 0, 17 * (i + 1), 17), ComboButton->Bitmap->Canvas(),
                                      Rect((i + 1) * fw - 19, 2, (i + 1) * fw - 2, 19));
        ComboxArrow->Frames = frames;
    } else {
        // A skin without a combo button has no arrows: none are left over from the skin before.
        ClearBitmap(arrow);
        ComboxArrow->Frames = 1;
    }
}

TColor TSkinData::ProbeTitleColour() {
    TDataSkinBorder& top = *Borders[2];
    if (!HasImage(top.Bitmap.get()) || top.Frames < 1) return Colours.ButtonFace;
    const int32_t frameHeight = top.Bitmap->Height() / top.Frames;
    return top.Bitmap->Canvas()->Pixels(top.Bitmap->Width() / 3, frameHeight / 3);
}

void TSkinData::MakeToolbarGradient() {
    const TColor t = ColorToRGB(ProbeTitleColour());
    TColor a = Blend(clGray, t, 150);
    const int32_t s = ColorSaturation(t);
    if (s > 110) a = Blend(t, clWhite, SkinToolbarWhiteWeight(s));
    const TColor b = Blend(Colours.ButtonFace, clWhite, 150);
    TBitmap gradient;
    gradient.SetPixelFormat(pf24bit);
    gradient.SetSize(10, 40);
    GradientFill(gradient.Canvas()->Handle(), Rect(0, 0, 10, 40), b, true, a);
    if (!Toolbar) Toolbar = std::make_unique<TDataSkinObject>("Toolbar");
    CopyBitmap(&gradient, Toolbar->Bitmap.get());
    Toolbar->Frames = 1;
}

// --- window and system bits

void TSkinData::MakeCaptionFont() {
    CaptionFont = std::make_unique<TFont>();
    NONCLIENTMETRICSA metrics;
    std::memset(&metrics, 0, sizeof metrics);
    // The size every Windows version accepts (without the padded border width).
    metrics.cbSize = 340;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0))
        CaptionFont->SetHandle(CreateFontIndirectA(&metrics.lfCaptionFont));
}

void TSkinData::MakeAppIcon() {
    HWND app = Application ? Application->Handle() : nullptr;
    if (!app) return;
    HICON icon = reinterpret_cast<HICON>(SendMessageA(app, WM_GETICON, ICON_SMALL, 0));
    if (!icon) icon = reinterpret_cast<HICON>(SendMessageA(app, WM_GETICON, ICON_BIG, 0));
    if (!icon) return;
    const int cx = GetSystemMetrics(SM_CXSMICON);
    const int cy = GetSystemMetrics(SM_CYSMICON);
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(cx, cy);
    bitmap.Canvas()->Brush()->SetColor(TRANSPARENT_KEY);
    bitmap.Canvas()->FillRect(Rect(0, 0, cx, cy));
    HICON copy = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, cx, cy, LR_COPYFROMRESOURCE));
    if (!copy) return;
    DrawIconEx(bitmap.Canvas()->Handle(), 0, 0, copy, cx, cy, 0, nullptr, DI_NORMAL);
    DestroyIcon(copy);
    CopyBitmap(&bitmap, AppIcon.get());
    AppIcon->SetTransparentColor(TRANSPARENT_KEY);
    AppIcon->SetTransparent(true);
}

// ---------------------------------------------------------------------------

bool SkinHasScrollBarInfo() { return User32().GetScrollBarInfo != nullptr; }

bool SkinGetScrollBarInfo(HWND window, LONG objectId, SCROLLBARINFO& info) {
    if (!User32().GetScrollBarInfo) return false;
    return User32().GetScrollBarInfo(window, objectId, &info) != FALSE;
}

void SkinTrackMouseLeave(HWND window) {
    if (!User32().TrackMouseEvent) return;
    TRACKMOUSEEVENT tme;
    std::memset(&tme, 0, sizeof tme);
    tme.cbSize = sizeof tme;
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = window;
    User32().TrackMouseEvent(&tme);
}

std::wstring AnsiToWide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::wstring WideCopy(const wchar_t* text, int count) {
    if (!text) return std::wstring();
    const size_t len = wcslen(text);
    if (count < 0 || static_cast<size_t>(count) > len) return std::wstring(text, len);
    return std::wstring(text, static_cast<size_t>(count));
}

bool SkinPlatformNT() { return Win32Platform == VER_PLATFORM_WIN32_NT; }

int DrawTextWide(HDC dc, const std::wstring& text, RECT& rect, UINT format) {
    if (SkinPlatformNT()) return DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
    const int n =
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), ansi.data(), n, nullptr, nullptr);
    return DrawTextA(dc, ansi.c_str(), -1, &rect, format);
}

TControl* ControlOfHandle(HWND window) { return window ? FindControl(window) : nullptr; }

void CopyBitmap(TBitmap* source, TBitmap* target) {
    if (!target) return;
    if (!source || source->Empty()) {
        ClearBitmap(target);
        return;
    }
    target->SetHandle(nullptr);
    target->SetPixelFormat(source->PixelFormat());
    target->SetSize(source->Width(), source->Height());
    target->Canvas()->CopyRect(Rect(0, 0, source->Width(), source->Height()), source->Canvas(),
                               Rect(0, 0, source->Width(), source->Height()));
}

void InstallSkinMessageBox() {
    SkinMessageHook = [](const std::string& text) { ShowMessageBox(text, "", MB_OK | MB_ICONWARNING); };
}

// The skin element records (one image strip of the skin with the few numbers that say
// how to draw it) and the skin data component that owns them: it holds one loaded
// skin, reads its ini text into the records and tells the skin manager what to skin.
// Every painter reads the records.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/Component.h"
#include "classlib/Graphics.h"
#include "classlib/ImgList.h"
#include "classlib/TypInfo.h"
#include "skin/TinselDataCore.h"

// Pixels of this colour are left out of drawings and window regions of elements with Trans = 1.
constexpr TColor TRANSPARENT_KEY = 0xFF00FF;
// A title text colour the skin did not give completely: painters use the [Colours] ones.
constexpr TColor TITLE_COLOUR_NONE = 0x1FFFFFFF;

// The base element. Fields keep their declared order; "none given" values are the defaults.
class TDataSkinObject : public TObject {
    DP_DECLARE_CLASS(TDataSkinObject, TObject)
public:
    explicit TDataSkinObject(const std::string& name);
    ~TDataSkinObject() override;

    // Nine-slice margins of one frame: "LeftWidth", "TopHeight", "RightWidth", "BottomHeight".
    TRect Margins{0, 0, 0, 0};
    // The frame strip; empty until an image is read.
    std::unique_ptr<TBitmap> Bitmap;
    // 1: TRANSPARENT_KEY pixels are transparent; anything else is opaque.
    int32_t Trans = 0;
    // 1: the centre of a frame is tiled; 0: stretched.
    int32_t Tile = 0;
    std::string Name;
    // Frames in Bitmap; may stay 0 where the skin's "Frame" key decides, so never divide by it
    // (SkinFrameRect does not).
    int32_t Frames = 0;
    int32_t Style = 0;
    // Text colours given as plain integers; -1 = none given.
    TColor NormalColour = -1;
    TColor MouseOverColour = -1;
    TColor PressedColour = -1;
    // Text colours given as "r g b"; the reader puts the skin's ButtonText colour here when they
    // are missing, the system's button text colour stands in until then.
    TColor NormalColour2 = clBtnText;
    TColor MouseOverColour2 = clBtnText;
    TColor PressedColour2 = clBtnText;
};

// Elements with a second image: the frame pieces, tabs, up-down glyphs, combo buttons, progress bars.
class TDataSkinBorder : public TDataSkinObject {
    DP_DECLARE_CLASS(TDataSkinBorder, TDataSkinObject)
public:
    explicit TDataSkinBorder(const std::string& name);
    ~TDataSkinBorder() override;

    std::unique_ptr<TBitmap> Bitmap2;
};

// The caption: Bitmap is the text background ("TextBack"); Margins hold the text insets
// (Left "TextShift", Top "TextShiftVert", Right "TextRightClip").
class TDataSkinTitle : public TDataSkinObject {
    DP_DECLARE_CLASS(TDataSkinTitle, TDataSkinObject)
public:
    explicit TDataSkinTitle(const std::string& name);
    ~TDataSkinTitle() override;

    int32_t TextAlignment = 0;  // 0 left, 1 centred, 2 right
    int32_t TextBackground = 0;
    int32_t FontHeight = 14;
    int32_t TextBackLeft = 0;  // added to the measured caption width
    int32_t TextBackRight = 0;
    TColor ActiveTextColour = TITLE_COLOUR_NONE;
    TColor InactiveTextColour = TITLE_COLOUR_NONE;
};

// Push-button (Bitmap, 5 frames), check-box and radio-button faces.
class TDataSkinButton : public TDataSkinObject {
    DP_DECLARE_CLASS(TDataSkinButton, TDataSkinObject)
public:
    explicit TDataSkinButton(const std::string& name);
    ~TDataSkinButton() override;

    std::unique_ptr<TBitmap> CheckBitmap;
    std::unique_ptr<TBitmap> RadioBitmap;
    int32_t RadioFrames = 0;
    int32_t CheckFrames = 0;
    // Whether the skin wrote "NormalColour2", "MouseOverColour2", "PressedColour2" at all.
    bool HasNormalColour2 = false;
    bool HasMouseOverColour2 = false;
    bool HasPressedColour2 = false;
};

// One caption button of the window frame.
class TDataSkinSysButton : public TDataSkinObject {
    DP_DECLARE_CLASS(TDataSkinSysButton, TDataSkinObject)
public:
    explicit TDataSkinSysButton(const std::string& name);
    ~TDataSkinSysButton() override;

    int32_t Action = 0;
    int32_t Align = 0;  // 0: XCoord from the left edge, 1: from the right edge
    int32_t XCoord = 0;
    int32_t YCoord = 0;      // from the top
    int32_t CombineOp = -1;  // -1 = none given
    int32_t Visibility = 0;
    int32_t Visibility1 = 0;
};

// The group box's caption background.
class TDataSkinBoxLabel : public TDataSkinObject {
    DP_DECLARE_CLASS(TDataSkinBoxLabel, TDataSkinObject)
public:
    explicit TDataSkinBoxLabel(const std::string& name);
    ~TDataSkinBoxLabel() override;

    int32_t BackgroundLeftShift = 0;
    int32_t BackgroundRightShift = 0;
    int32_t BackgroundAlignment = 0;
};

// --- frame strips

// The cell of frame index (from 1) of frames in the strip: side by side when horizontal,
// stacked when vertical. An empty rectangle when the strip has no such frame (no strip,
// an empty one, frames below 1, an index outside 1..frames).
TRect SkinFrameRect(TBitmap* strip, int32_t frames, int32_t index, bool vertical);
// The size of one frame; 0 x 0 where SkinFrameRect has no cell.
TSize SkinFrameSize(TBitmap* strip, int32_t frames, bool vertical);

// ---------------------------------------------------------------------------
// The skin data component: one loaded skin, the options that say what gets skinned,
// and the events through which the application can veto or adjust it.

class TControl;
class TSkinData;
class TSkinReader;
class TQuickIni;

enum TSkinControlType {
    xcMainMenu,
    xcPopupMenu,
    xcMenuItem,
    xcToolbar,
    xcControlbar,
    xcCombo,
    xcCheckBox,
    xcRadioButton,
    xcProgress,
    xcScrollbar,
    xcEdit,
    xcButton,
    xcBitBtn,
    xcSpeedButton,
    xcSpin,
    xcPanel,
    xcGroupBox,
    xcStatusBar,
    xcTab,
    xcTrackBar,
    xcSystemMenu,
    xcFastReport
};
DP_ENUM_INFO(TSkinControlType, "xcMainMenu", "xcPopupMenu", "xcMenuItem", "xcToolbar", "xcControlbar", "xcCombo",
             "xcCheckBox", "xcRadioButton", "xcProgress", "xcScrollbar", "xcEdit", "xcButton", "xcBitBtn",
             "xcSpeedButton", "xcSpin", "xcPanel", "xcGroupBox", "xcStatusBar", "xcTab", "xcTrackBar", "xcSystemMenu",
             "xcFastReport")
using TSkinControlTypes = TSet<TSkinControlType>;

enum TSkinOption {
    xoMDIScrollbar,
    xoMenuMerge,
    xoTransparent,
    xoPreview,
    xoParentBackGround,
    xoNoFocusRect,
    xoToolbarBK,
    xoMDIChildBorder,
    xoMenuBG,
    xoFormScrollbar
};
DP_ENUM_INFO(TSkinOption, "xoMDIScrollbar", "xoMenuMerge", "xoTransparent", "xoPreview", "xoParentBackGround",
             "xoNoFocusRect", "xoToolbarBK", "xoMDIChildBorder", "xoMenuBG", "xoFormScrollbar")
using TSkinOptions = TSet<TSkinOption>;

enum TSkinFormType { sfMainform, sfOnlyThisForm, sfDialog, sfDLL };
DP_ENUM_INFO(TSkinFormType, "sfMainform", "sfOnlyThisForm", "sfDialog", "sfDLL")

using TOnFormSkin = TEvent<void(TObject* Sender, std::string aName, bool& DoSkin)>;
using TOnSkinForm = TEvent<void(TObject* Sender, HWND ahwnd, std::string aName)>;
using TOnSkinControl = TEvent<void(TComponent* Sender, TSkinData* SkinData, TControl* Form, TControl* Control,
                                   std::string ControlClass, TComponent*& SkinnedControl)>;

// Every member but xcMenuItem and xcFastReport.
constexpr uint32_t DefaultSkinControls = 0x1FFFFB;
constexpr uint32_t DefaultSkinOptions = 0x48;
constexpr const char* SkinDataVersion = "4.11.06.25";

// The [Colours] table; unset keys hold the system colour references.
struct TSkinColours {
    TColor WindowText = clWindowText;
    TColor ButtonFace = clBtnFace;
    TColor Scrollbar = clScrollBar;
    TColor HilightText = clHighlightText;
    TColor Hilight = clHighlight;
    TColor Menubar = clBtnFace;
    TColor Menu = clMenu;
    TColor MenuText = clMenuText;
    TColor ButtonText = clBtnText;
    TColor ButtonHilight = clBtnHighlight;
    TColor Buttonlight = clBtnHighlight;
    TColor ButtonShadow = clBtnShadow;
    TColor ButtonDkShadow = cl3DDkShadow;
    TColor MenuBarText = clMenuText;
    TColor TitleTextActive = clCaptionText;
    TColor TitleTextNoActive = clInactiveCaptionText;
};

class TSkinData : public TComponent {
    DP_DECLARE_CLASS(TSkinData, TComponent)
public:
    explicit TSkinData(TComponent* owner);
    ~TSkinData() override;

    // --- published
    bool Active() const { return FActive; }
    // At run time asks the manager to skin (1) or unskin (2) after 250 ms; an empty skin
    // is never switched on.
    void SetActive(bool value);
    int32_t DisableTag() const { return FDisableTag; }
    void SetDisableTag(int32_t value) { FDisableTag = value; }
    TSkinControlTypes SkinControls() const { return FSkinControls; }
    void SetSkinControls(TSkinControlTypes value) { FSkinControls = value; }
    TSkinOptions Options() const { return FOptions; }
    void SetOptions(TSkinOptions value) { FOptions = value; }
    TStrings* Skin3rd() const { return FSkin3rd.get(); }
    void SetSkin3rd(TStrings* value);
    const std::string& SkinFile() const { return FSkinFile; }
    // Marks the skin empty; at run time an existing file is loaded and applied.
    void SetSkinFile(const std::string& value);
    // "(Good)" at design time with a stored package, else "(none)"; setting it does nothing.
    std::string SkinStore() const;
    void SetSkinStore(const std::string&) {}
    TSkinFormType SkinFormtype() const { return FSkinFormtype; }
    void SetSkinFormtype(TSkinFormType value) { FSkinFormtype = value; }
    std::string Version() const { return SkinDataVersion; }
    void SetVersion(const std::string&) {}
    bool MenuUpdate() const { return FMenuUpdate; }
    void SetMenuUpdate(bool value) { FMenuUpdate = value; }
    bool MenuMerge() const { return FMenuMerge; }
    void SetMenuMerge(bool value) { FMenuMerge = value; }
    const TOnFormSkin& OnFormSkin() const { return FOnFormSkin; }
    void SetOnFormSkin(const TOnFormSkin& value) { FOnFormSkin = value; }
    const TNotifyEvent& OnSkinChanged() const { return FOnSkinChanged; }
    void SetOnSkinChanged(const TNotifyEvent& value) { FOnSkinChanged = value; }
    const TOnSkinControl& OnSkinControl() const { return FOnSkinControl; }
    void SetOnSkinControl(const TOnSkinControl& value) { FOnSkinControl = value; }
    const TOnSkinForm& OnBeforeSkinForm() const { return FOnBeforeSkinForm; }
    void SetOnBeforeSkinForm(const TOnSkinForm& value) { FOnBeforeSkinForm = value; }
    const TOnSkinForm& OnAfterSkinForm() const { return FOnAfterSkinForm; }
    void SetOnAfterSkinForm(const TOnSkinForm& value) { FOnAfterSkinForm = value; }

    // --- the stored "SkinStream": a 32-bit length, then the package
    void ReadStream(TStream& stream);
    void WriteStream(TStream& stream);

    // Public so that components made in code (and tests) can finish their set-up.
    void Loaded() override;

    // Unpacks PackageStream and reads its ini text; False (skin left empty) for a package
    // the reader refuses, and at design time.
    bool LoadSkin();
    // Makes this the manager's current skin, drops the skinned forms' caption buttons and,
    // once the manager runs, posts skin changed (3).
    void ApplySkin();
    // The application's veto; without one "SysMonthCal32" and, with xcFastReport, classes
    // beginning with "Tfr" (both exact) are not skinned.
    void DoFormSkin(HWND handle, const std::string& className, bool& doSkin);
    void DoSkinChanged();
    // The package entry the value names into bitmap, or an empty bitmap.
    void LoadBitmap(TBitmap* bitmap, const std::string& value);
    void ReadSkinIni();
    void MakeAppIcon();

    // --- the loaded skin
    // Exactly the package bytes of "SkinStream" (after its length).
    TMemoryStream PackageStream;
    // Set from create and whenever a load starts; cleared only when ReadSkinIni completes.
    bool SkinEmpty = true;
    // The skinned form paints its non-client area only while this is set.
    bool NCPaintEnabled = true;

    // Left, Right, Top, Bottom (Borders[0] .. Borders[3]).
    std::array<std::unique_ptr<TDataSkinBorder>, 4> Borders;
    std::unique_ptr<TDataSkinTitle> Title;
    std::unique_ptr<TDataSkinButton> Buttons;
    std::vector<std::unique_ptr<TDataSkinSysButton>> SysButtons;

    // One slot per section; empty (nil) while the skin has no such section.
    std::unique_ptr<TDataSkinBorder> Progress;
    std::unique_ptr<TDataSkinObject> ProgressChunk;
    std::unique_ptr<TDataSkinObject> MenuBar;
    std::unique_ptr<TDataSkinObject> GroupBoxEdge;
    std::unique_ptr<TDataSkinBoxLabel> GroupBox;
    std::unique_ptr<TDataSkinBorder> Tabs;
    std::unique_ptr<TDataSkinObject> StatusBarEdges;
    std::unique_ptr<TDataSkinObject> TabPane;
    std::unique_ptr<TDataSkinObject> ToolBars;
    std::unique_ptr<TDataSkinBorder> ComboButton;
    std::unique_ptr<TDataSkinObject> SunkEdge;
    std::unique_ptr<TDataSkinObject> ExtraImages;
    std::unique_ptr<TDataSkinObject> Headerbar;
    std::unique_ptr<TDataSkinObject> MenuItem;
    std::unique_ptr<TDataSkinObject> MenuBackground;
    std::unique_ptr<TDataSkinObject> Scrollbar;
    std::unique_ptr<TDataSkinObject> HorzScroll;
    std::unique_ptr<TDataSkinObject> VertScroll;
    std::unique_ptr<TDataSkinObject> HorzScrollThumb;
    std::unique_ptr<TDataSkinObject> VertScrollThumb;
    std::unique_ptr<TDataSkinObject> TrackThumbHorz;
    std::unique_ptr<TDataSkinObject> TrackThumbVert;
    std::unique_ptr<TDataSkinObject> TrackThumbLeft;
    std::unique_ptr<TDataSkinObject> TrackThumbRight;
    std::unique_ptr<TDataSkinObject> TrackThumbUp;
    std::unique_ptr<TDataSkinObject> TrackThumbDown;
    std::unique_ptr<TDataSkinBorder> UpDownHorz;
    std::unique_ptr<TDataSkinBorder> UpDownVert;
    std::unique_ptr<TDataSkinObject> Track;
    std::unique_ptr<TDataSkinObject> TrackVert;
    // Made from the others after reading; kept once made.
    std::unique_ptr<TDataSkinObject> Toolbar;
    std::unique_ptr<TDataSkinObject> ComboxArrow;

    TSkinColours Colours;
    std::vector<TColor> SectionColours;
    std::array<TColor, 10> CustomColors{};
    TColor TitleColour = clBtnFace;
    HBRUSH ButtonFaceBrush = nullptr;
    std::string SkinName;

    // The application's small icon on TRANSPARENT_KEY.
    std::unique_ptr<TBitmap> AppIcon;
    // 16-pixel glyphs from the program's "TINSELMENU" bitmap, white transparent; empty without it.
    std::unique_ptr<TImageList> MenuGlyphs;
    // The system's caption font, taken again by Loaded; the library default before.
    std::unique_ptr<TFont> CaptionFont;

protected:
    void DefineProperties(TFiler& filer) override;

private:
    void MakeCaptionFont();
    void LoadMenuGlyphs();
    bool Designing() const { return ComponentState().Contains(csDesigning); }
    bool Reading() const { return ComponentState().Contains(csLoading) || ComponentState().Contains(csReading); }

    // The readers of the ini text; each frees what its slot held and makes a new element
    // only when the section names an image.
    void ReadColours(const TStrings& sections);
    void ReadBorders();
    void ReadSysButtons(const TStrings& sections);
    void ReadMdiControls();
    void ReadButtons();
    void ReadTitle();
    void ReadTextColour(const std::string& section, const std::string& prefix, TColor& colour);
    void ReadElement(std::unique_ptr<TDataSkinObject>& slot, const std::string& section);
    void ReadBorderElement(std::unique_ptr<TDataSkinBorder>& slot, const std::string& section,
                           const std::string& secondKey);
    void ReadGroupBox(std::unique_ptr<TDataSkinBoxLabel>& slot, const std::string& section);
    void ReadProgress(std::unique_ptr<TDataSkinBorder>& slot, const std::string& section);
    void ReadMenuBar();
    void ReadCommonKeys(TDataSkinObject& element, const std::string& section, bool readFrame);
    void LoadResourceElement(std::unique_ptr<TDataSkinObject>& slot, const char* name);
    void FixFrames();
    void MakeComboStrip();
    void MakeComboArrows();
    void MakeToolbarGradient();
    TColor ProbeTitleColour();

    bool FActive = false;
    int32_t FDisableTag = 99;
    TSkinControlTypes FSkinControls = TSkinControlTypes::FromMask(DefaultSkinControls);
    TSkinOptions FOptions = TSkinOptions::FromMask(DefaultSkinOptions);
    std::unique_ptr<TStringList> FSkin3rd;
    std::string FSkinFile;
    TSkinFormType FSkinFormtype = sfMainform;
    bool FMenuUpdate = true;
    bool FMenuMerge = false;
    TOnFormSkin FOnFormSkin;
    TNotifyEvent FOnSkinChanged;
    TOnSkinControl FOnSkinControl;
    TOnSkinForm FOnBeforeSkinForm;
    TOnSkinForm FOnAfterSkinForm;

    // Only while LoadSkin runs.
    TSkinReader* FReader = nullptr;
    TQuickIni* FIni = nullptr;
    TMemoryStream EntryStream;
};

// ---------------------------------------------------------------------------
// Routines the whole engine uses.

// The user32 entry point the combo box skin calls; nil when the system lacks it.
using TGetComboBoxInfoProc = BOOL(WINAPI*)(HWND, PCOMBOBOXINFO);
extern TGetComboBoxInfoProc SkinGetComboBoxInfo;

// False when the system has no GetScrollBarInfo.
bool SkinGetScrollBarInfo(HWND window, LONG objectId, SCROLLBARINFO& info);
bool SkinHasScrollBarInfo();
// WM_MOUSELEAVE for the window when the mouse leaves it; nothing without TrackMouseEvent.
void SkinTrackMouseLeave(HWND window);
std::wstring AnsiToWide(const std::string& text);
// count -1: the whole zero-terminated text; otherwise its first count characters.
std::wstring WideCopy(const wchar_t* text, int count);
// The system is of the NT family (the platform read at start-up): the wide text calls work;
// elsewhere text goes through the ANSI calls.
bool SkinPlatformNT();
int DrawTextWide(HDC dc, const std::wstring& text, RECT& rect, UINT format);
// The class library's control of the window; nil for a zero handle or a foreign window.
TControl* ControlOfHandle(HWND window);
// Target becomes an exact copy of source (size, pixel format, pixels); empty for an empty source.
void CopyBitmap(TBitmap* source, TBitmap* target);
// Points the skin reader's messages at a message box.
void InstallSkinMessageBox();

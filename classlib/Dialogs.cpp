#include "classlib/Dialogs.h"

#include <cderr.h>
#include <dlgs.h>

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------------------
// TCommonDialog

DP_PUBLISHED(TCommonDialog){
    DP_PROP_BOOL(Ctl3D, Ctl3D, SetCtl3D),
    DP_PROP_INT(HelpContext, HelpContext, SetHelpContext),
    DP_PROP_FIELD(OnShow, OnShow),
    DP_PROP_FIELD(OnClose, OnClose),
};

TCommonDialog::TCommonDialog(TComponent* owner) : TComponent(owner) {}
TCommonDialog::~TCommonDialog() = default;

void TCommonDialog::KeepException(HWND dialog) {
    if (!m_pending) m_pending = std::current_exception();
    if (dialog) PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void TCommonDialog::RaiseKeptException() {
    if (!m_pending) return;
    std::exception_ptr e = m_pending;
    m_pending = nullptr;
    std::rethrow_exception(e);
}

// ---------------------------------------------------------------------------
// TOpenDialog

DWORD OpenOptionsToFlags(TOpenOptions options) {
    static const DWORD flags[] = {OFN_READONLY,
                                  OFN_OVERWRITEPROMPT,
                                  OFN_HIDEREADONLY,
                                  OFN_NOCHANGEDIR,
                                  OFN_SHOWHELP,
                                  OFN_NOVALIDATE,
                                  OFN_ALLOWMULTISELECT,
                                  OFN_EXTENSIONDIFFERENT,
                                  OFN_PATHMUSTEXIST,
                                  OFN_FILEMUSTEXIST,
                                  OFN_CREATEPROMPT,
                                  OFN_SHAREAWARE,
                                  OFN_NOREADONLYRETURN,
                                  OFN_NOTESTFILECREATE,
                                  OFN_NONETWORKBUTTON,
                                  OFN_NOLONGNAMES,
                                  0 /* old style: not offered */,
                                  OFN_NODEREFERENCELINKS,
                                  OFN_ENABLEINCLUDENOTIFY,
                                  OFN_ENABLESIZING,
                                  OFN_DONTADDTORECENT,
                                  OFN_FORCESHOWHIDDEN};
    DWORD f = 0;
    for (int i = 0; i <= ofForceShowHidden; ++i)
        if (options.Contains(static_cast<TOpenOption>(i))) f |= flags[i];
    return f;
}

DP_PUBLISHED(TOpenDialog){
    DP_PROP_STR(DefaultExt, DefaultExt, SetDefaultExt),
    DP_PROP_STR(FileName, FileName, SetFileName),
    DP_PROP_STR(Filter, Filter, SetFilter),
    DP_PROP_INT(FilterIndex, FilterIndex, SetFilterIndex),
    DP_PROP_STR(InitialDir, InitialDir, SetInitialDir),
    DP_PROP_SET(Options, Options, SetOptions),
    DP_PROP_STR(Title, Title, SetTitle),
    DP_PROP_FIELD(OnSelectionChange, OnSelectionChange),
    DP_PROP_FIELD(OnFolderChange, OnFolderChange),
    DP_PROP_FIELD(OnTypeChange, OnTypeChange),
};

TOpenDialog::TOpenDialog(TComponent* owner) : TCommonDialog(owner), m_files(new TStringList) {}
TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute() { return DoExecute(GetOpenFileNameA); }

namespace {
constexpr UINT kFitMessage = WM_APP + 0x3A1;

// The dialog inside the work area of its monitor: a template pane makes it wider, and the
// system remembers a resizable dialog's last size for the next one.
void FitToWorkArea(HWND dlg) {
    RECT r{};
    if (!dlg || !GetWindowRect(dlg, &r)) return;
    RECT area{};
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (GetMonitorInfoA(MonitorFromWindow(dlg, MONITOR_DEFAULTTONEAREST), &mi))
        area = mi.rcWork;
    else if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0))
        return;
    const LONG w = std::min(r.right - r.left, area.right - area.left);
    const LONG h = std::min(r.bottom - r.top, area.bottom - area.top);
    const LONG x = std::clamp(r.left, area.left, area.right - w);
    const LONG y = std::clamp(r.top, area.top, area.bottom - h);
    if (x == r.left && y == r.top && w == r.right - r.left && h == r.bottom - r.top) return;
    SetWindowPos(dlg, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

UINT_PTR CALLBACK TOpenDialog::HookProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    TOpenDialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        auto* ofn = reinterpret_cast<OPENFILENAMEA*>(lParam);
        self = reinterpret_cast<TOpenDialog*>(ofn->lCustData);
        SetWindowLongPtrA(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->m_handle = GetParent(dlg);
    } else {
        self = reinterpret_cast<TOpenDialog*>(GetWindowLongPtrA(dlg, DWLP_USER));
    }
    if (!self) return 0;
    try {
        if (msg == WM_INITDIALOG) {
            INT_PTR result = TRUE;
            self->HookMessage(dlg, msg, wParam, lParam, result);
            return result;
        }
        // The remembered size comes after the notification; the pane follows every size.
        if (msg == kFitMessage || msg == WM_SIZE) FitToWorkArea(GetParent(dlg));
        if (msg == kFitMessage) return 0;
        if (msg == WM_NOTIFY) {
            const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
            switch (hdr->code) {
                case CDN_INITDONE:
                    FitToWorkArea(GetParent(dlg));
                    PostMessageA(dlg, kFitMessage, 0, 0);
                    self->DoShow();
                    break;
                case CDN_SELCHANGE: self->DoSelectionChange(); break;
                case CDN_FOLDERCHANGE: self->OnFolderChange(self); break;
                case CDN_TYPECHANGE: self->OnTypeChange(self); break;
                default: break;
            }
        }
        INT_PTR result = 0;
        if (self->HookMessage(dlg, msg, wParam, lParam, result)) return result;
    } catch (...) {
        self->KeepException(GetParent(dlg));
    }
    return 0;
}

std::string TOpenDialog::CurrentFilePath() const {
    if (!m_handle) return {};
    char buf[MAX_PATH * 4] = {};
    const LRESULT n = SendMessageA(m_handle, CDM_GETFILEPATH, sizeof(buf) - 1, reinterpret_cast<LPARAM>(buf));
    if (n <= 0) return {};
    return buf;
}

void TOpenDialog::ReadResult(const char* buffer, const OPENFILENAMEA& ofn) {
    m_files->Clear();
    const std::string first = buffer;
    const char* next = buffer + first.size() + 1;
    if ((ofn.Flags & OFN_ALLOWMULTISELECT) && *next) {
        // A folder, then the names chosen in it.
        std::string dir = first;
        if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
        while (*next) {
            const std::string name = next;
            m_files->Add(dir + name);
            next += name.size() + 1;
        }
    } else {
        m_files->Add(first);
    }
    m_fileName = m_files->Count() ? m_files->Get(0) : std::string();
    m_filterIndex = static_cast<int32_t>(ofn.nFilterIndex);
    if (ofn.Flags & OFN_READONLY)
        m_options += ofReadOnly;
    else
        m_options -= ofReadOnly;
    if (ofn.Flags & OFN_EXTENSIONDIFFERENT)
        m_options += ofExtensionDifferent;
    else
        m_options -= ofExtensionDifferent;
}

bool TOpenDialog::DoExecute(BOOL(WINAPI* func)(LPOPENFILENAMEA)) {
    // The filter with its separators as NULs, ending in two.
    std::string filter = m_filter;
    std::replace(filter.begin(), filter.end(), '|', '\0');
    filter.append(2, '\0');
    const bool multi = m_options.Contains(ofAllowMultiSelect);
    std::vector<char> buffer(multi ? 0x10000 : MAX_PATH * 4, '\0');

    for (int attempt = 0; attempt < 2; ++attempt) {
        std::fill(buffer.begin(), buffer.end(), '\0');
        if (attempt == 0 && m_fileName.size() < buffer.size() - 1)
            std::memcpy(buffer.data(), m_fileName.data(), m_fileName.size());
        OPENFILENAMEA ofn{};
        ofn.lStructSize = sizeof(ofn);
        ofn.hwndOwner = DialogOwnerWindow();
        ofn.hInstance = GetModuleHandleA(nullptr);
        ofn.lpstrFilter = m_filter.empty() ? nullptr : filter.c_str();
        ofn.nFilterIndex = static_cast<DWORD>(m_filterIndex);
        ofn.lpstrFile = buffer.data();
        ofn.nMaxFile = static_cast<DWORD>(buffer.size());
        ofn.lpstrInitialDir = m_initialDir.empty() ? nullptr : m_initialDir.c_str();
        ofn.lpstrTitle = m_title.empty() ? nullptr : m_title.c_str();
        ofn.lpstrDefExt = m_defaultExt.empty() ? nullptr : m_defaultExt.c_str();
        ofn.Flags = OpenOptionsToFlags(m_options) | OFN_EXPLORER | OFN_ENABLEHOOK;
        ofn.lpfnHook = &TOpenDialog::HookProc;
        ofn.lCustData = reinterpret_cast<LPARAM>(this);
        PrepareTemplate(ofn);

        m_pending = nullptr;
        BOOL ok;
        {
            TModalScope modal;
            ok = func(&ofn);
        }
        m_handle = nullptr;
        RaiseKeptException();
        OnClose(this);
        if (ok) {
            ReadResult(buffer.data(), ofn);
            return true;
        }
        // A stale name that the dialog refuses would keep it from ever
        // opening; it opens again without the name instead.
        if (CommDlgExtendedError() != FNERR_INVALIDFILENAME || attempt == 1) return false;
    }
    return false;
}

// ---------------------------------------------------------------------------
// TSaveDialog

DP_PUBLISHED(TSaveDialog){};

bool TSaveDialog::Execute() { return DoExecute(GetSaveFileNameA); }

// ---------------------------------------------------------------------------
// TOpenPictureDialog

DP_PUBLISHED(TOpenPictureDialog){};

TOpenPictureDialog::TOpenPictureDialog(TComponent* owner) : TOpenDialog(owner), m_preview(new TPicture) {
    SetFilter(GraphicFilter(&TGraphic::StaticClassInfo()));
}

TOpenPictureDialog::~TOpenPictureDialog() = default;

namespace {

// Dialog templates are sequences of 16-bit words, items aligned to 32 bits.
class TemplateWriter {
public:
    void Word(uint16_t w) { m_words.push_back(w); }
    void DWord(uint32_t d) {
        Word(static_cast<uint16_t>(d & 0xFFFF));
        Word(static_cast<uint16_t>(d >> 16));
    }
    void Text(const char* s) {
        while (*s) Word(static_cast<uint8_t>(*s++));
        Word(0);
    }
    void Align() {
        if (m_words.size() % 2) Word(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls, const char* text) {
        Align();
        DWord(style);
        DWord(0);
        Word(static_cast<uint16_t>(x));
        Word(static_cast<uint16_t>(y));
        Word(static_cast<uint16_t>(cx));
        Word(static_cast<uint16_t>(cy));
        Word(id);
        Word(0xFFFF);
        Word(cls);
        Text(text);
        Word(0);  // no creation data
    }
    std::vector<DWORD> Finish() {
        Align();
        std::vector<DWORD> out(m_words.size() / 2);
        std::memcpy(out.data(), m_words.data(), out.size() * sizeof(DWORD));
        return out;
    }

private:
    std::vector<uint16_t> m_words;
};

}  // namespace

void TOpenPictureDialog::PrepareTemplate(OPENFILENAMEA& ofn) {
    // The standard controls go where stc32 is; the pane lies to its right and
    // moves along as the dialog places them.
    TemplateWriter t;
    t.DWord(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | DS_3DLOOK | DS_CONTROL);
    t.DWord(0);
    t.Word(3);  // items
    t.Word(0);
    t.Word(0);
    t.Word(170);  // cx
    t.Word(134);  // cy
    t.Word(0);    // no menu
    t.Word(0);    // standard class
    t.Word(0);    // no title
    t.Item(WS_CHILD, 0, 0, 40, 134, stc32, 0x0082, "");
    t.Item(WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 44, 6, 124, 10, idPreviewText, 0x0082, "(None)");
    t.Item(WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 44, 18, 124, 110, idPreviewImage, 0x0082, "");
    m_template = t.Finish();
    ofn.Flags |= OFN_ENABLETEMPLATEHANDLE;
    ofn.hInstance = reinterpret_cast<HINSTANCE>(m_template.data());
}

void TOpenPictureDialog::UpdatePreview(const std::string& fileName) {
    bool loaded = false;
    if (!fileName.empty() && FileExists(fileName)) {
        try {
            m_preview->LoadFromFile(fileName);
            loaded = m_preview->Graphic() && !m_preview->Graphic()->Empty();
        } catch (const std::exception&) {
            loaded = false;
        }
    }
    if (loaded) {
        m_previewText = Format("%d x %d", m_preview->Width(), m_preview->Height());
    } else {
        m_preview->SetGraphic(nullptr);
        m_previewText = "(None)";
    }
    if (m_child) {
        SetDlgItemTextA(m_child, idPreviewText, m_previewText.c_str());
        InvalidateRect(GetDlgItem(m_child, idPreviewImage), nullptr, TRUE);
    }
}

void TOpenPictureDialog::DoSelectionChange() {
    UpdatePreview(CurrentFilePath());
    TOpenDialog::DoSelectionChange();
}

void TOpenPictureDialog::DrawPreview(const DRAWITEMSTRUCT& dis) {
    TCanvas canvas;
    canvas.SetHandle(dis.hDC);
    canvas.Brush()->SetColor(clBtnFace);
    canvas.FillRect(dis.rcItem);
    TGraphic* g = m_preview->Graphic();
    if (g && !g->Empty() && g->Width() > 0 && g->Height() > 0) {
        // Scaled down to fit, never up; centred.
        const int aw = RectWidth(dis.rcItem) - 4, ah = RectHeight(dis.rcItem) - 4;
        int w = g->Width(), h = g->Height();
        if (w > aw || h > ah) {
            if (int64_t(w) * ah > int64_t(h) * aw) {
                h = std::max(1, static_cast<int>(int64_t(h) * aw / w));
                w = aw;
            } else {
                w = std::max(1, static_cast<int>(int64_t(w) * ah / h));
                h = ah;
            }
        }
        const int x = dis.rcItem.left + (RectWidth(dis.rcItem) - w) / 2;
        const int y = dis.rcItem.top + (RectHeight(dis.rcItem) - h) / 2;
        SetStretchBltMode(dis.hDC, HALFTONE);
        SetBrushOrgEx(dis.hDC, 0, 0, nullptr);
        canvas.StretchDraw(Bounds(x, y, w, h), g);
    }
    canvas.Brush()->SetColor(clBtnShadow);
    canvas.FrameRect(dis.rcItem);
    canvas.SetHandle(nullptr);
}

bool TOpenPictureDialog::HookMessage(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (msg) {
        case WM_INITDIALOG:
            m_child = dlg;
            m_preview->SetGraphic(nullptr);
            m_previewText = "(None)";
            return false;
        case WM_DRAWITEM: {
            const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (dis->CtlID != static_cast<UINT>(idPreviewImage)) return false;
            DrawPreview(*dis);
            result = TRUE;
            return true;
        }
        case WM_NOTIFY:
            // Another folder: the picture of the last one is no longer what is selected.
            if (reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(CDN_FOLDERCHANGE)) UpdatePreview("");
            return false;
        case WM_DESTROY: m_child = nullptr; return false;
        default: return false;
    }
}

// ---------------------------------------------------------------------------
// TColorDialog

DP_PUBLISHED(TColorDialog){
    DP_PROP_COLOR(Color, Color, SetColor),
    DP_PROP_SET(Options, Options, SetOptions),
};

TColorDialog::TColorDialog(TComponent* owner) : TCommonDialog(owner), m_customColors(new TStringList) {}
TColorDialog::~TColorDialog() = default;

UINT_PTR CALLBACK TColorDialog::HookProc(HWND dlg, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* cc = reinterpret_cast<CHOOSECOLORA*>(lParam);
        auto* self = reinterpret_cast<TColorDialog*>(cc->lCustData);
        self->m_handle = dlg;
        try {
            self->OnShow(self);
        } catch (...) {
            self->KeepException(dlg);
        }
        return TRUE;
    }
    return 0;
}

bool TColorDialog::Execute() {
    COLORREF custom[16];
    for (int i = 0; i < 16; ++i) {
        const std::string key = std::string("Color") + static_cast<char>('A' + i);
        const std::string v = m_customColors->Values(key);
        int32_t c = 0;
        custom[i] = !v.empty() && TryStrToInt("$" + v, c) ? static_cast<COLORREF>(c) & 0xFFFFFF : 0xFFFFFF;
    }
    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = DialogOwnerWindow();
    cc.rgbResult = ColorToRGB(m_color);
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_ENABLEHOOK;
    if (m_options.Contains(cdFullOpen)) cc.Flags |= CC_FULLOPEN;
    if (m_options.Contains(cdPreventFullOpen)) cc.Flags |= CC_PREVENTFULLOPEN;
    if (m_options.Contains(cdShowHelp)) cc.Flags |= CC_SHOWHELP;
    if (m_options.Contains(cdSolidColor)) cc.Flags |= CC_SOLIDCOLOR;
    if (m_options.Contains(cdAnyColor)) cc.Flags |= CC_ANYCOLOR;
    cc.lpfnHook = &TColorDialog::HookProc;
    cc.lCustData = reinterpret_cast<LPARAM>(this);
    m_pending = nullptr;
    BOOL ok;
    {
        TModalScope modal;
        ok = ChooseColorA(&cc);
    }
    m_handle = nullptr;
    RaiseKeptException();
    OnClose(this);
    if (!ok) return false;
    m_color = static_cast<TColor>(cc.rgbResult & 0xFFFFFF);
    m_customColors->Clear();
    for (int i = 0; i < 16; ++i)
        m_customColors->Add(std::string("Color") + static_cast<char>('A' + i) + "=" +
                            IntToHex(static_cast<uint32_t>(custom[i] & 0xFFFFFF), 6));
    return true;
}

#include "classlib/Menus.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "classlib/FormReader.h"
#include "classlib/Forms.h"
#include "classlib/ImgList.h"

namespace {

// Command identifiers stay below the system commands (SC_* from 0xF000).
constexpr UINT kFirstCommand = 1;
constexpr UINT kLastCommand = 0xEFFF;

// Both registries live until the process ends: an item may go after the statics of this
// file (one held by another module's static, freed at exit), and it still leaves them.
std::map<UINT, TMenuItem*>& Commands() {
    static auto* commands = new std::map<UINT, TMenuItem*>;
    return *commands;
}

std::vector<TMenu*>& Menus() {
    static auto* menus = new std::vector<TMenu*>;
    return *menus;
}

UINT AllocateCommand(TMenuItem* item) {
    static UINT next = kFirstCommand;
    auto& commands = Commands();
    for (UINT tries = 0; tries <= kLastCommand - kFirstCommand; ++tries) {
        UINT id = next;
        next = next >= kLastCommand ? kFirstCommand : next + 1;
        if (!commands.count(id)) {
            commands[id] = item;
            return id;
        }
    }
    throw EMenuError("Out of menu command identifiers");
}

// The item whose submenu is about to open: changes below it are made in that
// submenu in place, since the system shows that very menu next.
TMenuItem* g_opening = nullptr;

// Empties a window menu; the submenus it held are destroyed.
void ClearWindowMenu(HMENU menu) {
    while (GetMenuItemCount(menu) > 0) {
        HMENU sub = GetSubMenu(menu, 0);
        if (!RemoveMenu(menu, 0, MF_BYPOSITION)) break;
        if (sub) DestroyMenu(sub);
    }
}

bool FormHook(TCustomForm* form, TMessage& m) { return HandleFormMenuMessage(form, m); }

void InstallHook() {
    static bool installed = false;
    if (!installed) {
        SetMenuMessageHook(&FormHook);
        installed = true;
    }
}

HFONT MenuFont() {
    static HFONT font = nullptr;
    if (!font) {
        NONCLIENTMETRICSA ncm{};
        ncm.cbSize = sizeof ncm;
        if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
            font = CreateFontIndirectA(&ncm.lfMenuFont);
        if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    return font;
}

// A canvas bound to a device context it does not own, with the menu font.
struct MenuCanvas {
    explicit MenuCanvas(HDC dc) {
        canvas.SetHandle(dc);
        canvas.Font()->SetHandle(CopyFont());
    }
    ~MenuCanvas() { canvas.SetHandle(nullptr); }
    static HFONT CopyFont() {
        LOGFONTA lf{};
        GetObjectA(MenuFont(), sizeof lf, &lf);
        return CreateFontIndirectA(&lf);
    }
    TCanvas canvas;
};

struct KeyName {
    uint16_t key;
    const char* name;
};

const KeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},  {VK_TAB, "Tab"},     {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},   {VK_END, "End"},      {VK_HOME, "Home"},  {VK_LEFT, "Left"},
    {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},    {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};

std::string KeyText(uint16_t key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return "Num " + std::to_string(key - VK_NUMPAD0);
    for (const KeyName& k : kKeyNames)
        if (k.key == key) return k.name;
    return {};
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The item tree that shows as this window menu (a menu's root or an item's submenu).
TMenuItem* TreeOfHandle(HMENU menu) {
    if (!menu) return nullptr;
    for (TMenu* m : Menus())
        if (m->HandleAllocated() && m->Handle() == menu) return m->Items();
    return FindMenuItemByHandle(menu);
}

TOwnerDrawState StateOf(UINT s) {
    TOwnerDrawState st;
    if (s & ODS_SELECTED) st += odSelected;
    if (s & ODS_GRAYED) st += odGrayed;
    if (s & ODS_DISABLED) st += odDisabled;
    if (s & ODS_CHECKED) st += odChecked;
    if (s & ODS_FOCUS) st += odFocused;
    if (s & ODS_DEFAULT) st += odDefault;
    if (s & ODS_HOTLIGHT) st += odHotLight;
    if (s & ODS_INACTIVE) st += odInactive;
    if (s & ODS_NOACCEL) st += odNoAccel;
    return st;
}

bool InMenuBar(const TMenuItem* item) {
    const TMenuItem* p = item->Parent();
    return p && !p->Parent() && DynamicAs<TMainMenu>(item->GetParentMenu());
}

}  // namespace

// ---------------------------------------------------------------------------
// Shortcuts and captions

TShortCut ShortCut(uint16_t key, TShiftState shift) {
    if (key & 0xFF00) return scNone;
    TShortCut s = key;
    if (shift.Contains(ssShift)) s |= scShift;
    if (shift.Contains(ssCtrl)) s |= scCtrl;
    if (shift.Contains(ssAlt)) s |= scAlt;
    return s;
}

void ShortCutToKey(TShortCut shortCut, uint16_t& key, TShiftState& shift) {
    key = shortCut & 0xFF;
    shift = {};
    if (shortCut & scShift) shift += ssShift;
    if (shortCut & scCtrl) shift += ssCtrl;
    if (shortCut & scAlt) shift += ssAlt;
}

std::string ShortCutToText(TShortCut shortCut) {
    const std::string name = KeyText(shortCut & 0xFF);
    if (name.empty()) return {};
    std::string text;
    if (shortCut & scShift) text += "Shift+";
    if (shortCut & scCtrl) text += "Ctrl+";
    if (shortCut & scAlt) text += "Alt+";
    return text + name;
}

TShortCut TextToShortCut(const std::string& text) {
    std::string rest = Upper(text);
    TShortCut shift = 0;
    for (;;) {
        if (rest.rfind("SHIFT+", 0) == 0) {
            shift |= scShift;
            rest.erase(0, 6);
        } else if (rest.rfind("CTRL+", 0) == 0) {
            shift |= scCtrl;
            rest.erase(0, 5);
        } else if (rest.rfind("ALT+", 0) == 0) {
            shift |= scAlt;
            rest.erase(0, 4);
        } else {
            break;
        }
    }
    if (rest.empty()) return scNone;
    for (uint16_t key = 8; key <= 0xFF; ++key) {
        const std::string name = KeyText(key);
        if (!name.empty() && Upper(name) == rest) return static_cast<TShortCut>(key | shift);
    }
    return scNone;
}

// ---------------------------------------------------------------------------
// TMenuItem

DP_PUBLISHED(TMenuItem){
    DP_PROP_STR(Caption, Caption, SetCaption),
    DP_PROP_BOOL(Checked, Checked, SetChecked),
    DP_PROP_BOOL(Enabled, Enabled, SetEnabled),
    DP_PROP_BOOL(Visible, Visible, SetVisible),
    DP_PROP_BOOL(Default, Default, SetDefault),
    DP_PROP_BOOL(RadioItem, RadioItem, SetRadioItem),
    DP_PROP_BOOL(AutoCheck, AutoCheck, SetAutoCheck),
    DP_PROP_INT(GroupIndex, GroupIndex, SetGroupIndex),
    DP_PROP_INT(ShortCut, ShortCut, SetShortCut),
    DP_PROP_INT(ImageIndex, ImageIndex, SetImageIndex),
    DP_PROP_STR(Hint, Hint, SetHint),
    DP_PROP_FIELD(OnClick, OnClick),
    DP_PROP_FIELD(OnMeasureItem, OnMeasureItem),
    DP_PROP_FIELD(OnDrawItem, OnDrawItem),
    DP_PROP_FIELD(OnAdvancedDrawItem, OnAdvancedDrawItem),
};

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) { m_command = AllocateCommand(this); }

TMenuItem::~TMenuItem() {
    m_destroying = true;
    while (!m_items.empty()) {
        TMenuItem* child = m_items.back();
        m_items.pop_back();
        child->m_parent = nullptr;
        if (!child->m_ownsHandle) child->m_handle = nullptr;  // inside this item's window menu
        delete child;
    }
    if (m_parent) m_parent->Remove(this);
    if (m_handle && m_ownsHandle) DestroyMenu(m_handle);
    Commands().erase(m_command);
}

void TMenuItem::SetCaption(const std::string& v) {
    if (v == m_caption) return;
    m_caption = v;
    MenuChanged();
}

void TMenuItem::SetChecked(bool v) {
    if (v == m_checked) return;
    m_checked = v;
    if (v && m_radioItem && m_parent)
        for (TMenuItem* other : m_parent->m_items)
            if (other != this && other->m_radioItem && other->m_groupIndex == m_groupIndex) other->m_checked = false;
    MenuChanged();
}

void TMenuItem::SetEnabled(bool v) {
    if (v == m_enabled) return;
    m_enabled = v;
    MenuChanged();
}

void TMenuItem::SetVisible(bool v) {
    if (v == m_visible) return;
    m_visible = v;
    MenuChanged();
}

void TMenuItem::SetDefault(bool v) {
    if (v == m_default) return;
    if (v && m_parent)
        for (TMenuItem* other : m_parent->m_items) other->m_default = false;
    m_default = v;
    MenuChanged();
}

void TMenuItem::SetRadioItem(bool v) {
    if (v == m_radioItem) return;
    m_radioItem = v;
    MenuChanged();
}

void TMenuItem::SetGroupIndex(int32_t v) {
    if (v == m_groupIndex) return;
    m_groupIndex = v;
    MenuChanged();
}

void TMenuItem::SetShortCut(TShortCut v) {
    if (v == m_shortCut) return;
    m_shortCut = v;
    MenuChanged();
}

void TMenuItem::SetImageIndex(int32_t v) {
    if (v == m_imageIndex) return;
    m_imageIndex = v;
    MenuChanged();
}

HMENU TMenuItem::Handle() {
    if (m_menu) return m_menu->Handle();
    if (m_items.empty()) return nullptr;
    if (!m_handle) {
        m_handle = CreatePopupMenu();
        m_ownsHandle = true;
        TMenu* menu = GetParentMenu();
        FillMenu(m_handle, menu && menu->OwnerDraw(), false);
    }
    return m_handle;
}

TMenuItem* TMenuItem::Items(int index) const {
    if (index < 0 || index >= Count()) throw EMenuError(SMenuIndexError);
    return m_items[static_cast<size_t>(index)];
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    auto it = std::find(m_items.begin(), m_items.end(), item);
    return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

void TMenuItem::SetMenuIndex(int index) {
    if (!m_parent) return;
    TMenuItem* parent = m_parent;
    const int count = parent->Count();
    index = std::clamp(index, 0, count - 1);
    if (index == MenuIndex()) return;
    parent->m_items.erase(parent->m_items.begin() + MenuIndex());
    parent->m_items.insert(parent->m_items.begin() + index, this);
    parent->MenuChanged();
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item) return;
    if (item->m_parent) throw EMenuError(SMenuReinserted);
    if (index < 0 || index > Count()) throw EMenuError(SMenuIndexError);
    // Nobody may become his own ancestor.
    for (TMenuItem* p = this; p; p = p->m_parent)
        if (p == item) throw EMenuError(SMenuReinserted);
    item->FreeHandleTree();
    if (item->m_handle && item->m_ownsHandle) DestroyMenu(item->m_handle);
    item->m_handle = nullptr;
    item->m_ownsHandle = false;
    m_items.insert(m_items.begin() + index, item);
    item->m_parent = this;
    MenuChanged();
}

void TMenuItem::Remove(TMenuItem* item) {
    const int i = IndexOf(item);
    if (i < 0) throw EMenuError(SMenuNotFound);
    m_items.erase(m_items.begin() + i);
    item->m_parent = nullptr;
    // Its submenu goes with the window menu that holds it (thrown away now).
    item->FreeHandleTree();
    if (!item->m_ownsHandle) item->m_handle = nullptr;
    if (!m_destroying) MenuChanged();
}

void TMenuItem::Delete(int index) {
    TMenuItem* item = Items(index);
    Remove(item);
    delete item;
}

void TMenuItem::Clear() {
    while (!m_items.empty()) Delete(Count() - 1);
}

TMenuItem* TMenuItem::Find(const std::string& caption) const {
    const std::string want = Upper(StripHotkey(caption));
    for (TMenuItem* item : m_items)
        if (Upper(StripHotkey(item->m_caption)) == want) return item;
    return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* root = this;
    while (root->m_parent) root = root->m_parent;
    return root->m_menu;
}

TImageList* TMenuItem::GetImageList() const {
    TMenu* menu = GetParentMenu();
    return menu ? menu->Images() : nullptr;
}

TComponent* TMenuItem::GetParentComponent() const {
    if (!m_parent) return nullptr;
    if (m_parent->m_menu) return m_parent->m_menu;
    return m_parent;
}

void TMenuItem::SetParentComponent(TComponent* parent) {
    if (m_parent) m_parent->Remove(this);
    if (!parent) return;
    if (auto* menu = DynamicAs<TMenu>(parent))
        menu->Items()->Add(this);
    else if (auto* item = DynamicAs<TMenuItem>(parent))
        item->Add(this);
}

void TMenuItem::Click() {
    if (!m_enabled) return;
    if (m_autoCheck) SetChecked(!m_checked);
    OnClick(this);
}

void TMenuItem::MenuChanged() {
    if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
    if (g_opening)
        for (TMenuItem* p = this; p; p = p->m_parent)
            if (p == g_opening) {
                g_opening->Refill();
                return;
            }
    if (TMenu* menu = GetParentMenu()) {
        menu->Rebuild();
        return;
    }
    // A tree without a menu: only its own submenus need building again.
    TMenuItem* root = this;
    while (root->m_parent) root = root->m_parent;
    root->Refill();
}

void TMenuItem::Refill() {
    if (!m_handle) return;
    if (!IsMenu(m_handle)) {
        m_handle = nullptr;
        return;
    }
    FreeHandleTree();
    ClearWindowMenu(m_handle);
    TMenu* menu = GetParentMenu();
    FillMenu(m_handle, menu && menu->OwnerDraw(), false);
}

void TMenuItem::FreeHandleTree() {
    // The handles belong to the window menu they are inside; whoever destroys that one frees them.
    for (TMenuItem* child : m_items) {
        child->FreeHandleTree();
        if (child->m_ownsHandle && child->m_handle) DestroyMenu(child->m_handle);
        child->m_handle = nullptr;
        child->m_ownsHandle = false;
    }
}

void TMenuItem::FillMenu(HMENU menu, bool ownerDraw, bool menuBar) {
    UINT pos = 0;
    for (TMenuItem* item : m_items) {
        if (!item->m_visible) continue;
        MENUITEMINFOA mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
        std::string text;
        if (ownerDraw) {
            // Owner-drawn entries carry no text: the item draws it.
            mii.fType = MFT_OWNERDRAW;
        } else if (item->IsLine() && !menuBar) {
            mii.fType = MFT_SEPARATOR;
        } else {
            mii.fType = MFT_STRING;
            text = item->m_caption;
            if (item->m_shortCut && !menuBar) {
                const std::string sc = ShortCutToText(item->m_shortCut);
                if (!sc.empty()) text += "\t" + sc;
            }
            mii.fMask |= MIIM_STRING;
            mii.dwTypeData = text.data();
            mii.cch = static_cast<UINT>(text.size());
        }
        if (item->m_radioItem) mii.fType |= MFT_RADIOCHECK;
        TMenu* parentMenu = GetParentMenu();
        if (parentMenu && parentMenu->IsRightToLeft()) mii.fType |= MFT_RIGHTORDER;
        if (item->m_checked) mii.fState |= MFS_CHECKED;
        if (!item->m_enabled) mii.fState |= MFS_GRAYED;
        if (item->m_default) mii.fState |= MFS_DEFAULT;
        mii.wID = item->m_command;
        mii.hSubMenu = item->Handle();
        item->m_ownsHandle = false;
        mii.dwItemData = reinterpret_cast<ULONG_PTR>(item);
        InsertMenuItemA(menu, pos++, TRUE, &mii);
    }
}

void TMenuItem::MeasureItem(TCanvas* canvas, int& width, int& height) {
    const bool bar = InMenuBar(this);
    if (IsLine() && !bar) {
        width = 10;
        height = 8;
    } else {
        const std::string text = StripHotkey(m_caption.empty() ? std::string(" ") : m_caption);
        const TSize size = canvas->TextExtent(text);
        width = size.cx + (bar ? 8 : 32);
        if (!bar && m_shortCut) {
            const std::string sc = ShortCutToText(m_shortCut);
            if (!sc.empty()) width += canvas->TextWidth(sc) + 24;
        }
        height = std::max<int>(size.cy + 6, bar ? 0 : 19);
        if (TImageList* images = GetImageList(); images && !bar) height = std::max(height, images->Height() + 4);
    }
    OnMeasureItem(this, canvas, width, height);
}

void TMenuItem::DrawItem(TCanvas* canvas, const TRect& rect, TOwnerDrawState state) {
    if (OnAdvancedDrawItem)
        OnAdvancedDrawItem(this, canvas, rect, state);
    else if (OnDrawItem)
        OnDrawItem(this, canvas, rect, state.Contains(odSelected));
    else
        DefaultDrawItem(canvas, rect, state);
}

void TMenuItem::DefaultDrawItem(TCanvas* canvas, const TRect& rect, TOwnerDrawState state) {
    const bool selected = state.Contains(odSelected) || state.Contains(odHotLight);
    const bool bar = InMenuBar(this);
    canvas->Brush()->SetColor(selected ? clHighlight : (bar ? clBtnFace : clMenu));
    canvas->FillRect(rect);
    HDC dc = canvas->Handle();
    if (IsLine() && !bar) {
        RECT line = rect;
        line.top += (RectHeight(rect) - 2) / 2;
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
        return;
    }
    const int glyph = bar ? 0 : 20;
    TImageList* images = GetImageList();
    if (!bar && images && m_imageIndex >= 0 && m_imageIndex < images->Count()) {
        images->Draw(canvas, rect.left + 2, rect.top + (RectHeight(rect) - images->Height()) / 2, m_imageIndex,
                     m_enabled);
    } else if (!bar && m_checked) {
        const int size = std::min(16, RectHeight(rect));
        RECT mark{rect.left + 2, rect.top + (RectHeight(rect) - size) / 2, rect.left + 2 + size,
                  rect.top + (RectHeight(rect) - size) / 2 + size};
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP mono = CreateBitmap(size, size, 1, 1, nullptr);
        HGDIOBJ old = SelectObject(mem, mono);
        RECT all{0, 0, size, size};
        DrawFrameControl(mem, &all, DFC_MENU, m_radioItem ? DFCS_MENUBULLET : DFCS_MENUCHECK);
        // The mark is black on white: paint it in the text colour.
        SetBkColor(dc, RGB(255, 255, 255));
        SetTextColor(dc, RGB(0, 0, 0));
        HBRUSH brush = CreateSolidBrush(ColorToRGB(selected ? clHighlightText : clMenuText));
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        BitBlt(dc, mark.left, mark.top, size, size, mem, 0, 0, 0x00B8074A);  // where the source is black: the brush
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
        SelectObject(mem, old);
        DeleteObject(mono);
        DeleteDC(mem);
    }
    SetBkMode(dc, TRANSPARENT);
    TColor textColor = selected ? clHighlightText : clMenuText;
    if (!m_enabled) textColor = clGrayText;
    SetTextColor(dc, ColorToRGB(textColor));
    RECT tr{rect.left + glyph + (bar ? 4 : 2), rect.top, rect.right - 4, rect.bottom};
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
    if (bar) flags |= DT_CENTER;
    if (state.Contains(odNoAccel)) flags |= DT_HIDEPREFIX;
    HGDIOBJ oldFont = SelectObject(dc, canvas->Font()->Handle());
    if (m_default) {
        LOGFONTA lf{};
        GetObjectA(canvas->Font()->Handle(), sizeof lf, &lf);
        lf.lfWeight = FW_BOLD;
        HFONT bold = CreateFontIndirectA(&lf);
        SelectObject(dc, bold);
        DrawTextA(dc, m_caption.c_str(), static_cast<int>(m_caption.size()), &tr, flags);
        SelectObject(dc, canvas->Font()->Handle());
        DeleteObject(bold);
    } else {
        DrawTextA(dc, m_caption.c_str(), static_cast<int>(m_caption.size()), &tr, flags);
    }
    if (!bar && m_shortCut) {
        const std::string sc = ShortCutToText(m_shortCut);
        RECT sr{tr.left, rect.top, rect.right - 10, rect.bottom};
        DrawTextA(dc, sc.c_str(), static_cast<int>(sc.size()), &sr, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    }
    SelectObject(dc, oldFont);
}

// ---------------------------------------------------------------------------
// TMenu

DP_PUBLISHED(TMenu){
    DP_PROP_BOOL(OwnerDraw, OwnerDraw, SetOwnerDraw),
    DP_PROP_OBJ(Images, Images, SetImages),
    DP_PROP_ENUM(BiDiMode, BiDiMode, SetBiDiMode),
    DP_PROP_BOOL(AutoHotkeys, AutoHotkeys, SetAutoHotkeys),
};

TMenu::TMenu(TComponent* owner) : TComponent(owner), m_items(new TMenuItem(nullptr)) {
    m_items->m_menu = this;
    Menus().push_back(this);
    InstallHook();
}

TMenu::~TMenu() {
    auto& menus = Menus();
    menus.erase(std::remove(menus.begin(), menus.end(), this), menus.end());
    // The items that the owner holds are freed with the tree; the tree's
    // handles all live inside this menu's window menu.
    m_items->FreeHandleTree();
    m_items->m_menu = nullptr;
    delete m_items;
    if (m_handle) DestroyMenu(m_handle);
}

HMENU TMenu::Handle() {
    // A window destroys the menu it shows: such a menu is built again.
    if (m_handle && !IsMenu(m_handle)) {
        m_items->FreeHandleTree();
        m_handle = nullptr;
    }
    if (!m_handle) {
        m_handle = CreateMenuHandle();
        m_items->FillMenu(m_handle, m_ownerDraw, Is<TMainMenu>());
    }
    return m_handle;
}

void TMenu::SetOwnerDraw(bool v) {
    if (v == m_ownerDraw) return;
    m_ownerDraw = v;
    Rebuild();
}

void TMenu::SetImages(TImageList* v) {
    if (m_images) m_images->RemoveFreeNotification(this);
    m_images = v;
    if (v) v->FreeNotification(this);
    Rebuild();
}

void TMenu::SetBiDiMode(TBiDiMode v) {
    if (v == m_biDiMode) return;
    m_biDiMode = v;
    Rebuild();
}

void TMenu::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == m_images) {
        m_images = nullptr;
        Rebuild();
    }
}

void TMenu::Loaded() {
    TComponent::Loaded();
    Rebuild();
}

namespace {
TMenuItem* FindIn(TMenuItem* item, UINT_PTR value, TMenuItemFindKind kind) {
    for (int i = 0; i < item->Count(); ++i) {
        TMenuItem* child = item->Items(i);
        switch (kind) {
            case fkCommand:
                if (child->Command() == value) return child;
                break;
            case fkHandle:
                if (child->Count() && reinterpret_cast<UINT_PTR>(child->Handle()) == value) return child;
                break;
            case fkShortCut:
                if (child->ShortCut() && child->ShortCut() == value) return child;
                break;
        }
        if (TMenuItem* found = FindIn(child, value, kind)) return found;
    }
    return nullptr;
}
}  // namespace

TMenuItem* TMenu::FindItem(UINT_PTR value, TMenuItemFindKind kind) const {
    if (kind == fkHandle && !m_handle) return nullptr;  // no window menu: no handle can match
    return FindIn(m_items, value, kind);
}

bool TMenu::DispatchCommand(UINT command) {
    TMenuItem* item = FindItem(command, fkCommand);
    if (!item) return false;
    item->Click();
    return true;
}

bool TMenu::IsShortCut(uint16_t key, TShiftState shift) {
    const TShortCut sc = ::ShortCut(key, shift * TShiftState{ssShift, ssCtrl, ssAlt});
    if (!sc) return false;
    TMenuItem* item = FindItem(sc, fkShortCut);
    if (!item) return false;
    for (TMenuItem* p = item; p && p->Parent(); p = p->Parent())
        if (!p->Enabled() || !p->Visible()) return false;
    item->Click();
    return true;
}

void TMenu::Rebuild() {
    if (!m_handle || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
    m_items->FreeHandleTree();
    if (IsMenu(m_handle)) {
        // The window menu keeps its handle: whoever holds it (the form, a skin) still shows this menu.
        ClearWindowMenu(m_handle);
        m_items->FillMenu(m_handle, m_ownerDraw, Is<TMainMenu>());
    } else {
        m_handle = nullptr;
        Handle();
    }
    MenuChanged();
}

// ---------------------------------------------------------------------------
// TMainMenu

DP_PUBLISHED(TMainMenu){};

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {}

TMainMenu::~TMainMenu() {
    // The form would keep showing (and pointing at) a menu that is gone.
    if (TCustomForm* form = Form()) {
        form->SetMenuHandle(nullptr);
        form->SetMenu(nullptr);
    }
}

TCustomForm* TMainMenu::Form() const {
    auto* form = DynamicAs<TCustomForm>(Owner());
    return form && form->Menu() == this ? form : nullptr;
}

HMENU TMainMenu::CreateMenuHandle() { return CreateMenu(); }

void TMainMenu::Loaded() {
    TMenu::Loaded();
    UpdateForm();
}

void TMainMenu::UpdateForm() {
    if (TCustomForm* form = Form()) form->SetMenuHandle(Handle());
}

void TMainMenu::MenuChanged() {
    if (TCustomForm* form = Form()) {
        form->SetMenuHandle(Handle());
        // Through the window procedure, so that a subclass of the window hears of it too.
        if (form->HandleAllocated()) {
            DrawMenuBar(form->Handle());
            SendMessageA(form->Handle(), CM_MENUCHANGED, 0, 0);
        } else {
            form->Perform(CM_MENUCHANGED, 0, 0);
        }
    }
}

void SetFormMenu(TCustomForm* form, TMainMenu* menu) {
    if (!form) return;
    const bool changed = form->Menu() != menu;
    form->SetMenu(menu);
    form->SetMenuHandle(menu ? menu->Handle() : nullptr);
    // Another menu is a changed menu: whoever paints the window's menu takes the new one.
    if (changed && form->HandleAllocated()) SendMessageA(form->Handle(), CM_MENUCHANGED, 0, 0);
}

// ---------------------------------------------------------------------------
// TPopupMenu

DP_PUBLISHED(TPopupMenu){
    DP_PROP_ENUM(Alignment, Alignment, SetAlignment),
    DP_PROP_BOOL(AutoPopup, AutoPopup, SetAutoPopup),
    DP_PROP_FIELD(OnPopup, OnPopup),
};

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}
TPopupMenu::~TPopupMenu() = default;

HMENU TPopupMenu::CreateMenuHandle() { return CreatePopupMenu(); }

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
    TMenu::Notification(component, operation);
    if (operation == opRemove && component == m_popupComponent) m_popupComponent = nullptr;
}

HWND TPopupMenu::PopupWindow() {
    static HWND wnd = nullptr;
    if (!wnd || !IsWindow(wnd)) {
        wnd = AllocateHWnd(
            [](TMessage& m) {
                if (!DispatchMenuMessage(m)) m.Result = DefWindowProcA(wnd, m.Msg, m.WParam, m.LParam);
            },
            "TPUtilWindow");
    }
    return wnd;
}

void TPopupMenu::Popup(int x, int y) {
    OnPopup(this);
    HMENU menu = Handle();
    UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON;
    if (m_alignment == paRight)
        flags |= TPM_RIGHTALIGN;
    else if (m_alignment == paCenter)
        flags |= TPM_CENTERALIGN;
    else
        flags |= TPM_LEFTALIGN;
    HWND owner = PopupWindow();
    // Keyboard input goes to the menu only while its owner is the foreground window.
    SetForegroundWindow(owner);
    const UINT command = static_cast<UINT>(TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr));
    PostMessageA(owner, WM_NULL, 0, 0);
    if (command) DispatchCommand(command);
}

// ---------------------------------------------------------------------------
// Lookups and the message handler

bool IsFormShortCut(TCustomForm* form, uint16_t key, TShiftState shift) {
    if (!form) return false;
    if (auto* menu = DynamicAs<TMenu>(form->Menu()); menu && menu->IsShortCut(key, shift)) return true;
    for (int i = 0; i < form->ComponentCount(); ++i)
        if (auto* popup = DynamicAs<TPopupMenu>(form->Components(i)); popup && popup->IsShortCut(key, shift))
            return true;
    return false;
}

TMenuItem* FindMenuItemByCommand(UINT command) {
    auto& commands = Commands();
    auto it = commands.find(command);
    return it == commands.end() ? nullptr : it->second;
}

TMenuItem* FindMenuItemByHandle(HMENU menu) {
    if (!menu) return nullptr;
    for (TMenu* m : Menus())
        if (TMenuItem* item = m->FindItem(reinterpret_cast<UINT_PTR>(menu), fkHandle)) return item;
    for (auto& entry : Commands())
        if (entry.second->Count() && entry.second->m_handle == menu) return entry.second;
    return nullptr;
}

bool HandleFormMenuMessage(TCustomForm* form, TMessage& m) {
    if (m.Msg == CN_BASE + WM_KEYDOWN || m.Msg == CN_BASE + WM_SYSKEYDOWN) {
        if (!IsFormShortCut(form, static_cast<uint16_t>(m.WParam), KeyDataToShiftState(m.LParam))) return false;
        m.Result = 1;
        return true;
    }
    return DispatchMenuMessage(m);
}

bool DispatchMenuMessage(TMessage& m) {
    switch (m.Msg) {
        case WM_COMMAND: {
            if (m.LParam != 0 || HIWORD(m.WParam) > 1) return false;
            TMenuItem* item = FindMenuItemByCommand(LOWORD(m.WParam));
            if (!item) return false;
            item->Click();
            m.Result = 0;
            return true;
        }
        case WM_MEASUREITEM: {
            auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
            if (!mis || mis->CtlType != ODT_MENU) return false;
            TMenuItem* item = FindMenuItemByCommand(mis->itemID);
            if (!item) return false;
            HDC dc = GetDC(nullptr);
            {
                MenuCanvas mc(dc);
                int w = static_cast<int>(mis->itemWidth), h = static_cast<int>(mis->itemHeight);
                item->MeasureItem(&mc.canvas, w, h);
                mis->itemWidth = static_cast<UINT>(std::max(w, 0));
                mis->itemHeight = static_cast<UINT>(std::max(h, 0));
            }
            ReleaseDC(nullptr, dc);
            m.Result = TRUE;
            return true;
        }
        case WM_DRAWITEM: {
            auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
            if (!dis || dis->CtlType != ODT_MENU || IsWindow(dis->hwndItem)) return false;  // a control's item
            TMenuItem* item = FindMenuItemByCommand(dis->itemID);
            if (!item) return false;
            const int saved = SaveDC(dis->hDC);
            {
                MenuCanvas mc(dis->hDC);
                item->DrawItem(&mc.canvas, dis->rcItem, StateOf(dis->itemState));
            }
            RestoreDC(dis->hDC, saved);
            m.Result = TRUE;
            return true;
        }
        case WM_INITMENUPOPUP: {
            if (HIWORD(m.LParam)) return false;  // the window menu
            TMenuItem* item = FindMenuItemByHandle(reinterpret_cast<HMENU>(m.WParam));
            if (!item) return false;
            struct Opening {
                explicit Opening(TMenuItem* i) : saved(g_opening) { g_opening = i; }
                ~Opening() { g_opening = saved; }
                TMenuItem* saved;
            } opening(item);
            // A handler may fill the submenu now.
            item->Click();
            return false;
        }
        case WM_MENUCHAR: {
            TMenuItem* tree = TreeOfHandle(reinterpret_cast<HMENU>(m.LParam));
            if (!tree) return false;
            const char key = static_cast<char>(std::toupper(static_cast<unsigned char>(LOWORD(m.WParam) & 0xFF)));
            int pos = 0;
            for (int i = 0; i < tree->Count(); ++i) {
                TMenuItem* item = tree->Items(i);
                if (!item->Visible()) continue;
                if (item->Enabled() && GetHotkey(item->Caption()) == key) {
                    m.Result = MAKELRESULT(pos, MNC_EXECUTE);
                    return true;
                }
                ++pos;
            }
            return false;
        }
        default: return false;
    }
}

std::vector<const TClassInfo*> MenuClasses() {
    return {&TMenuItem::s_dpClassInfo, &TMainMenu::s_dpClassInfo, &TPopupMenu::s_dpClassInfo};
}

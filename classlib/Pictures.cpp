#include "classlib/Pictures.h"

#include <algorithm>
#include <cstring>

#include "classlib/GraphicsInternal.h"

// ---------------------------------------------------------------------------
// TIcon

DP_PUBLISHED(TIcon){};

TIcon::TIcon() { m_transparent = true; }

TIcon::~TIcon() { FreeHandle(); }

void TIcon::FreeHandle() {
    if (m_handle) DestroyIcon(m_handle);
    m_handle = nullptr;
}

void TIcon::SetWidth(int32_t width) {
    if (width != m_width) throw EInvalidGraphicOperation(SChangeIconSize);
}

void TIcon::SetHeight(int32_t height) {
    if (height != m_height) throw EInvalidGraphicOperation(SChangeIconSize);
}

namespace {
void IconSize(HICON icon, int32_t& w, int32_t& h) {
    w = h = 0;
    ICONINFO ii{};
    if (!icon || !GetIconInfo(icon, &ii)) return;
    BITMAP bm{};
    if (ii.hbmColor && GetObjectA(ii.hbmColor, sizeof(bm), &bm)) {
        w = bm.bmWidth;
        h = bm.bmHeight;
    } else if (ii.hbmMask && GetObjectA(ii.hbmMask, sizeof(bm), &bm)) {
        w = bm.bmWidth;
        h = bm.bmHeight / 2;
    }
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
}

uint16_t GetU16(const std::string& d, size_t at) {
    return static_cast<uint16_t>(uint8_t(d[at]) | (uint8_t(d[at + 1]) << 8));
}
uint32_t GetU32(const std::string& d, size_t at) {
    return uint32_t(uint8_t(d[at])) | (uint32_t(uint8_t(d[at + 1])) << 8) | (uint32_t(uint8_t(d[at + 2])) << 16) |
           (uint32_t(uint8_t(d[at + 3])) << 24);
}

// Whether an icon image's own header promises no more bytes than it has.
bool IconImageFits(const std::string& d, size_t off, size_t size) {
    if (size >= 8 && d.compare(off, 8, "\x89PNG\r\n\x1a\n", 8) == 0) return true;
    if (size < 40 || GetU32(d, off) != 40) return false;
    const int32_t w = static_cast<int32_t>(GetU32(d, off + 4));
    const int32_t h2 = static_cast<int32_t>(GetU32(d, off + 8));
    const uint16_t bits = GetU16(d, off + 14);
    const uint32_t clrUsed = GetU32(d, off + 32);
    if (w <= 0 || h2 <= 0 || w > 1024 || h2 > 2048) return false;
    if (!(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32)) return false;
    const int64_t h = h2 / 2;
    const int64_t colours = bits <= 8 ? (clrUsed ? clrUsed : (1u << bits)) : 0;
    if (colours > 256) return false;
    const int64_t need = 40 + colours * 4 + StrideOf(w, bits) * h + StrideOf(w, 1) * h;
    return need <= int64_t(size);
}
}  // namespace

void TIcon::LoadFromStream(TStream& stream) {
    const int64_t remaining = stream.Size() - stream.Position();
    if (remaining <= 0) {
        FreeHandle();
        m_width = m_height = 0;
        m_data.clear();
        Changed();
        return;
    }
    if (remaining > (int64_t(16) << 20)) throw EInvalidGraphic(SInvalidIcon);
    std::string d = stream.ReadString(remaining);
    if (d.size() < 6 || GetU16(d, 0) != 0 || GetU16(d, 2) != 1) throw EInvalidGraphic(SInvalidIcon);
    const unsigned count = GetU16(d, 4);
    if (count == 0 || 6 + size_t(count) * 16 > d.size()) throw EInvalidGraphic(SInvalidIcon);
    int best = -1, bestScore = 0;
    for (unsigned i = 0; i < count; ++i) {
        const size_t e = 6 + size_t(i) * 16;
        const int w = uint8_t(d[e]) ? uint8_t(d[e]) : 256;
        const int h = uint8_t(d[e + 1]) ? uint8_t(d[e + 1]) : 256;
        const uint16_t bits = GetU16(d, e + 6);
        const uint32_t size = GetU32(d, e + 8), off = GetU32(d, e + 12);
        if (off > d.size() || size > d.size() - off) continue;
        if (!IconImageFits(d, off, size)) continue;
        // Closest to 32 x 32 first, then the most colours.
        const int score = 100000 - (std::abs(w - 32) + std::abs(h - 32)) * 100 + bits;
        if (best < 0 || score > bestScore) {
            best = static_cast<int>(i);
            bestScore = score;
        }
    }
    if (best < 0) throw EInvalidGraphic(SInvalidIcon);
    const size_t e = 6 + size_t(best) * 16;
    const int w = uint8_t(d[e]) ? uint8_t(d[e]) : 256;
    const int h = uint8_t(d[e + 1]) ? uint8_t(d[e + 1]) : 256;
    const uint32_t size = GetU32(d, e + 8), off = GetU32(d, e + 12);
    std::vector<BYTE> image(d.begin() + off, d.begin() + off + size);
    HICON icon = CreateIconFromResourceEx(image.data(), size, TRUE, 0x00030000, w, h, LR_DEFAULTCOLOR);
    if (!icon) throw EInvalidGraphic(SInvalidIcon);
    FreeHandle();
    m_handle = icon;
    m_width = w;
    m_height = h;
    m_data = std::move(d);
    Changed();
}

void TIcon::SaveToStream(TStream& stream) {
    if (!m_data.empty()) {
        stream.WriteString(m_data);
        return;
    }
    if (!m_handle) return;
    // Rebuilt as one 32-bit image with its AND mask.
    ICONINFO ii{};
    if (!GetIconInfo(m_handle, &ii)) throw EInvalidGraphic(SInvalidIcon);
    const int w = m_width, h = m_height;
    const int64_t xorBytes = int64_t(w) * 4 * h, andStride = StrideOf(w, 1), andBytes = andStride * h;
    std::vector<uint8_t> xorBits(size_t(xorBytes), 0), andBits(size_t(andBytes), 0);
    HDC dc = GetDC(nullptr);
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD c[2];
    } bi{};
    bi.h.biSize = sizeof(BITMAPINFOHEADER);
    bi.h.biWidth = w;
    bi.h.biHeight = h;
    bi.h.biPlanes = 1;
    bi.h.biBitCount = 32;
    if (ii.hbmColor)
        GetDIBits(dc, ii.hbmColor, 0, h, xorBits.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
    bi.h.biBitCount = 1;
    if (ii.hbmMask) GetDIBits(dc, ii.hbmMask, 0, h, andBits.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
    const uint32_t imageSize = static_cast<uint32_t>(40 + xorBytes + andBytes);
    stream.WriteU16(0);
    stream.WriteU16(1);
    stream.WriteU16(1);
    stream.WriteU8(static_cast<uint8_t>(w >= 256 ? 0 : w));
    stream.WriteU8(static_cast<uint8_t>(h >= 256 ? 0 : h));
    stream.WriteU8(0);
    stream.WriteU8(0);
    stream.WriteU16(1);
    stream.WriteU16(32);
    stream.WriteU32(imageSize);
    stream.WriteU32(22);
    stream.WriteU32(40);
    stream.WriteI32(w);
    stream.WriteI32(h * 2);
    stream.WriteU16(1);
    stream.WriteU16(32);
    stream.WriteU32(BI_RGB);
    stream.WriteU32(static_cast<uint32_t>(xorBytes + andBytes));
    stream.WriteU32(0);
    stream.WriteU32(0);
    stream.WriteU32(0);
    stream.WriteU32(0);
    stream.WriteBuffer(xorBits.data(), xorBytes);
    stream.WriteBuffer(andBits.data(), andBytes);
}

void TIcon::SetHandle(HICON icon) {
    if (icon == m_handle) return;
    FreeHandle();
    m_handle = icon;
    m_data.clear();
    IconSize(icon, m_width, m_height);
    Changed();
}

HICON TIcon::ReleaseHandle() {
    HICON h = m_handle;
    m_handle = nullptr;
    m_width = m_height = 0;
    m_data.clear();
    Changed();
    return h;
}

void TIcon::Assign(TPersistent* source) {
    if (!source) {
        FreeHandle();
        m_width = m_height = 0;
        m_data.clear();
        Changed();
        return;
    }
    if (auto* i = DynamicAs<TIcon>(source)) {
        if (i == this) return;
        FreeHandle();
        m_handle = i->m_handle ? CopyIcon(i->m_handle) : nullptr;
        m_width = i->m_width;
        m_height = i->m_height;
        m_data = i->m_data;
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TIcon::Draw(TCanvas* canvas, const TRect& r) {
    if (!m_handle) return;
    DrawIconEx(canvas->Handle(), r.left, r.top, m_handle, RectWidth(r), RectHeight(r), 0, nullptr, DI_NORMAL);
}

// ---------------------------------------------------------------------------
// TMetafile

DP_PUBLISHED(TMetafile){};

TMetafile::TMetafile() { m_transparent = true; }

TMetafile::~TMetafile() { FreeHandle(); }

void TMetafile::FreeHandle() {
    if (m_handle) DeleteEnhMetaFile(m_handle);
    m_handle = nullptr;
}

void TMetafile::SetWidth(int32_t width) {
    if (width == m_width) return;
    m_width = width;
    Changed();
}

void TMetafile::SetHeight(int32_t height) {
    if (height == m_height) return;
    m_height = height;
    Changed();
}

void TMetafile::SizeFromHeader() {
    m_width = m_height = 0;
    ENHMETAHEADER hdr{};
    if (!m_handle || !GetEnhMetaFileHeader(m_handle, sizeof(hdr), &hdr)) return;
    // The frame is in hundredths of a millimetre.
    const int ppi = ScreenPixelsPerInch();
    m_width = MulDiv(hdr.rclFrame.right - hdr.rclFrame.left, ppi, 2540);
    m_height = MulDiv(hdr.rclFrame.bottom - hdr.rclFrame.top, ppi, 2540);
    if (m_width <= 0 || m_height <= 0) {
        m_width = hdr.rclBounds.right - hdr.rclBounds.left + 1;
        m_height = hdr.rclBounds.bottom - hdr.rclBounds.top + 1;
    }
}

void TMetafile::LoadFromStream(TStream& stream) {
    const int64_t remaining = stream.Size() - stream.Position();
    if (remaining <= 0) {
        FreeHandle();
        m_width = m_height = 0;
        Changed();
        return;
    }
    if (remaining > (int64_t(64) << 20)) throw EInvalidGraphic(SInvalidMetafile);
    const std::string d = stream.ReadString(remaining);
    const auto* bytes = reinterpret_cast<const BYTE*>(d.data());
    HENHMETAFILE emf = nullptr;
    int32_t w = -1, h = -1;
    bool enhanced = true;
    if (d.size() >= 88 && GetU32(d, 0) == EMR_HEADER && GetU32(d, 40) == ENHMETA_SIGNATURE) {
        const uint32_t total = GetU32(d, 48);
        const uint32_t headerSize = GetU32(d, 4);
        if (total < headerSize || total > d.size() || headerSize < 88) throw EInvalidGraphic(SInvalidMetafile);
        emf = SetEnhMetaFileBits(total, bytes);
    } else if (d.size() >= 22 + 18 && GetU32(d, 0) == 0x9AC6CDD7u) {
        // Placeable metafile: a bounding box in logical units and their count per inch.
        const int16_t left = static_cast<int16_t>(GetU16(d, 6)), top = static_cast<int16_t>(GetU16(d, 8));
        const int16_t right = static_cast<int16_t>(GetU16(d, 10)), bottom = static_cast<int16_t>(GetU16(d, 12));
        int inch = GetU16(d, 14);
        if (inch == 0) inch = 1440;
        const uint32_t words = GetU32(d, 22 + 6);
        if (GetU16(d, 22 + 2) != 9 || uint64_t(words) * 2 > d.size() - 22) throw EInvalidGraphic(SInvalidMetafile);
        METAFILEPICT mfp{};
        mfp.mm = MM_ANISOTROPIC;
        mfp.xExt = MulDiv(right - left, 2540, inch);
        mfp.yExt = MulDiv(bottom - top, 2540, inch);
        emf = SetWinMetaFileBits(words * 2, bytes + 22, nullptr, &mfp);
        const int ppi = ScreenPixelsPerInch();
        w = MulDiv(std::abs(right - left), ppi, inch);
        h = MulDiv(std::abs(bottom - top), ppi, inch);
        enhanced = false;
    } else if (d.size() >= 18 && (GetU16(d, 0) == 1 || GetU16(d, 0) == 2) && GetU16(d, 2) == 9) {
        const uint32_t words = GetU32(d, 6);
        if (uint64_t(words) * 2 > d.size() || words < 9) throw EInvalidGraphic(SInvalidMetafile);
        emf = SetWinMetaFileBits(words * 2, bytes, nullptr, nullptr);
        enhanced = false;
    } else {
        throw EInvalidGraphic(SInvalidMetafile);
    }
    if (!emf) throw EInvalidGraphic(SInvalidMetafile);
    FreeHandle();
    m_handle = emf;
    m_enhanced = enhanced;
    SizeFromHeader();
    if (w > 0 && h > 0) {
        m_width = w;
        m_height = h;
    }
    Changed();
}

void TMetafile::SaveToStream(TStream& stream) {
    if (!m_handle) return;
    if (m_enhanced) {
        const UINT size = GetEnhMetaFileBits(m_handle, 0, nullptr);
        std::vector<BYTE> buf(size);
        GetEnhMetaFileBits(m_handle, size, buf.data());
        stream.WriteBuffer(buf.data(), size);
        return;
    }
    HDC dc = GetDC(nullptr);
    const UINT size = GetWinMetaFileBits(m_handle, 0, nullptr, MM_ANISOTROPIC, dc);
    std::vector<BYTE> buf(size);
    GetWinMetaFileBits(m_handle, size, buf.data(), MM_ANISOTROPIC, dc);
    ReleaseDC(nullptr, dc);
    // Placeable header: the image's size at the screen's resolution.
    const uint16_t inch = static_cast<uint16_t>(ScreenPixelsPerInch());
    uint16_t words[10] = {0xCDD7, 0x9AC6, 0, 0, 0, static_cast<uint16_t>(m_width), static_cast<uint16_t>(m_height),
                          inch,   0,      0};
    uint16_t sum = 0;
    for (uint16_t v : words) sum ^= v;
    for (uint16_t v : words) stream.WriteU16(v);
    stream.WriteU16(sum);
    stream.WriteBuffer(buf.data(), size);
}

void TMetafile::SetHandle(HENHMETAFILE metafile) {
    if (metafile == m_handle) return;
    FreeHandle();
    m_handle = metafile;
    SizeFromHeader();
    Changed();
}

void TMetafile::Assign(TPersistent* source) {
    if (!source) {
        SetHandle(nullptr);
        return;
    }
    if (auto* m = DynamicAs<TMetafile>(source)) {
        if (m == this) return;
        FreeHandle();
        m_handle = m->m_handle ? CopyEnhMetaFileA(m->m_handle, nullptr) : nullptr;
        m_width = m->m_width;
        m_height = m->m_height;
        m_enhanced = m->m_enhanced;
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TMetafile::Draw(TCanvas* canvas, const TRect& r) {
    if (!m_handle) return;
    PlayEnhMetaFile(canvas->Handle(), m_handle, &r);
}

DP_PUBLISHED(TMetafileCanvas){};

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile, HDC reference) : m_metafile(metafile) {
    RECT frame{};
    RECT* pframe = nullptr;
    if (metafile && metafile->Width() > 0 && metafile->Height() > 0) {
        const int ppi = ScreenPixelsPerInch();
        frame = Rect(0, 0, MulDiv(metafile->Width(), 2540, ppi), MulDiv(metafile->Height(), 2540, ppi));
        pframe = &frame;
    }
    m_recordDC = CreateEnhMetaFileA(reference, nullptr, pframe, nullptr);
    if (!m_recordDC) throw EOutOfResources(SOutOfResources);
    SetHandle(m_recordDC);
}

TMetafileCanvas::~TMetafileCanvas() {
    SetHandle(nullptr);
    HENHMETAFILE emf = CloseEnhMetaFile(m_recordDC);
    if (m_metafile && emf) {
        const int32_t w = m_metafile->Width(), h = m_metafile->Height();
        m_metafile->SetHandle(emf);
        if (w > 0 && h > 0) {
            m_metafile->SetWidth(w);
            m_metafile->SetHeight(h);
        }
    } else if (emf) {
        DeleteEnhMetaFile(emf);
    }
}

// ---------------------------------------------------------------------------
// TPicture

DP_PUBLISHED(TPicture){};

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

std::vector<TPicture::FileFormat>& TPicture::FileFormats() {
    static std::vector<FileFormat> formats = {
        {"bmp", "Bitmaps", [] { return static_cast<TGraphic*>(new TBitmap); }, &TBitmap::StaticClassInfo()},
        {"ico", "Icons", [] { return static_cast<TGraphic*>(new TIcon); }, &TIcon::StaticClassInfo()},
        {"emf", "Enhanced Metafiles", [] { return static_cast<TGraphic*>(new TMetafile); },
         &TMetafile::StaticClassInfo()},
        {"wmf", "Metafiles", [] { return static_cast<TGraphic*>(new TMetafile); }, &TMetafile::StaticClassInfo()},
    };
    return formats;
}

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description, TGraphicFactory create,
                                  const TClassInfo* cls) {
    auto& formats = FileFormats();
    for (auto& f : formats)
        if (SameText(f.Extension, extension)) {
            f = {LowerCase(extension), description, create, cls};
            return;
        }
    formats.push_back({LowerCase(extension), description, create, cls});
}

void TPicture::Changed(TObject*) { OnChange(this); }

void TPicture::Adopt(TGraphic* graphic) {
    m_graphic.reset(graphic);
    if (m_graphic) m_graphic->OnChange = TNotifyEvent([this](TObject* s) { Changed(s); });
    Changed(this);
}

void TPicture::SetGraphic(TGraphic* graphic) {
    if (graphic == m_graphic.get()) return;
    if (!graphic) {
        Adopt(nullptr);
        return;
    }
    std::unique_ptr<TGraphic> copy(graphic->CreateNew());
    copy->Assign(graphic);
    Adopt(copy.release());
}

TBitmap* TPicture::Bitmap() {
    if (!m_graphic || !m_graphic->Is<TBitmap>()) Adopt(new TBitmap);
    return static_cast<TBitmap*>(m_graphic.get());
}

TIcon* TPicture::Icon() {
    if (!m_graphic || !m_graphic->Is<TIcon>()) Adopt(new TIcon);
    return static_cast<TIcon*>(m_graphic.get());
}

TMetafile* TPicture::Metafile() {
    if (!m_graphic || !m_graphic->Is<TMetafile>()) Adopt(new TMetafile);
    return static_cast<TMetafile*>(m_graphic.get());
}

void TPicture::LoadFromFile(const std::string& fileName) {
    std::string ext = ExtractFileExt(fileName);
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    for (const auto& f : FileFormats()) {
        if (SameText(f.Extension, ext)) {
            std::unique_ptr<TGraphic> g(f.Create());
            g->LoadFromFile(fileName);
            Adopt(g.release());
            return;
        }
    }
    throw EInvalidGraphic(Format(SUnknownExtension, ext.c_str()));
}

void TPicture::SaveToFile(const std::string& fileName) {
    if (m_graphic) m_graphic->SaveToFile(fileName);
}

void TPicture::Assign(TPersistent* source) {
    if (!source) {
        SetGraphic(nullptr);
    } else if (auto* p = DynamicAs<TPicture>(source)) {
        if (p != this) SetGraphic(p->Graphic());
    } else if (auto* g = DynamicAs<TGraphic>(source)) {
        SetGraphic(g);
    } else {
        TPersistent::Assign(source);
    }
}

void TPicture::AssignTo(TPersistent* dest) const {
    if (m_graphic && dest && dest->InheritsFrom(m_graphic->ClassType()))
        dest->Assign(m_graphic.get());
    else
        TPersistent::AssignTo(dest);
}

void TPicture::DefineProperties(TFiler& filer) {
    filer.DefineBinaryProperty(
        "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); },
        m_graphic && !m_graphic->Empty());
}

void TPicture::ReadData(TStream& stream) {
    const uint8_t len = stream.ReadU8();
    const std::string name = stream.ReadString(len);
    for (const auto& f : FileFormats()) {
        if (SameText(f.Class->Name, name)) {
            std::unique_ptr<TGraphic> g(f.Create());
            g->ReadData(stream);
            Adopt(g.release());
            return;
        }
    }
    throw EInvalidGraphic(Format("Unknown picture class %s", name.c_str()));
}

void TPicture::WriteData(TStream& stream) {
    if (!m_graphic) return;
    const std::string name = m_graphic->ClassName();
    stream.WriteU8(static_cast<uint8_t>(name.size()));
    stream.WriteString(name);
    m_graphic->WriteData(stream);
}

std::string GraphicFilter(const TClassInfo* graphicClass) {
    std::string all, parts;
    for (const auto& f : TPicture::FileFormats()) {
        if (graphicClass && !f.Class->InheritsFrom(graphicClass)) continue;
        const std::string mask = "*." + f.Extension;
        if (!all.empty()) all += ";";
        all += mask;
        parts += "|" + f.Description + " (" + mask + ")|" + mask;
    }
    if (all.empty()) return {};
    return "All (" + all + ")|" + all + parts;
}

std::string GraphicExtension(const TClassInfo* graphicClass) {
    for (const auto& f : TPicture::FileFormats())
        if (f.Class == graphicClass) return f.Extension;
    return {};
}

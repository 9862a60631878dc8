#include "classlib/Jpeg.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "classlib/BmpFile.h"
#include "classlib/JpegErrors.h"

using namespace jpeg_internal;

namespace {

constexpr uint64_t kMaxPixels = uint64_t(kMaxPicturePixels);
// libjpeg's own message number for a picture larger than we accept.
constexpr int kTooLargeCode = 42;

struct DecodeJob {
    const unsigned char* data;
    unsigned long size;
    int scaleDenom;
    bool grayscale;
    bool fast;
    // results
    int width = 0, height = 0;
    int imageWidth = 0, imageHeight = 0;
    std::vector<uint8_t> bgr;  // top-down rows of width * 3 bytes
    std::vector<uint8_t> row;
};

// The rows, converted to blue-green-red; called between setjmp and the jump,
// it finishes before libjpeg is called again.
void StoreRow(DecodeJob* job, int y, int components, bool cmyk, bool inverted) {
    const uint8_t* s = job->row.data();
    uint8_t* d = job->bgr.data() + size_t(y) * job->width * 3;
    for (int x = 0; x < job->width; ++x, s += components, d += 3) {
        if (components == 1) {
            d[0] = d[1] = d[2] = s[0];
        } else if (cmyk) {
            int c = s[0], m = s[1], yy = s[2], k = s[3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                yy = 255 - yy;
                k = 255 - k;
            }
            d[2] = static_cast<uint8_t>(c * k / 255);
            d[1] = static_cast<uint8_t>(m * k / 255);
            d[0] = static_cast<uint8_t>(yy * k / 255);
        } else {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        }
    }
}

void PrepareOutput(DecodeJob* job, int components) {
    job->bgr.assign(size_t(job->width) * job->height * 3, 0);
    job->row.assign(size_t(job->width) * components, 0);
}

// Returns 0 or libjpeg's message number.
__attribute__((noinline)) int RunDecode(DecodeJob* job) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    std::memset(&cinfo, 0, sizeof(cinfo));
    SetUpErrors(err);
    cinfo.err = &err.pub;
    if (__builtin_setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return err.code ? err.code : -1;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = long(256) << 20;
    jpeg_mem_src(&cinfo, job->data, job->size);
    jpeg_read_header(&cinfo, TRUE);
    job->imageWidth = static_cast<int>(cinfo.image_width);
    job->imageHeight = static_cast<int>(cinfo.image_height);
    if (uint64_t(cinfo.image_width) * cinfo.image_height > kMaxPixels) {
        jpeg_destroy_decompress(&cinfo);
        return kTooLargeCode;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    const bool inverted = cinfo.saw_Adobe_marker;
    if (cmyk)
        cinfo.out_color_space = JCS_CMYK;
    else if (job->grayscale || cinfo.jpeg_color_space == JCS_GRAYSCALE)
        cinfo.out_color_space = JCS_GRAYSCALE;
    else
        cinfo.out_color_space = JCS_RGB;
    cinfo.scale_num = 1;
    cinfo.scale_denom = static_cast<unsigned>(job->scaleDenom);
    cinfo.dct_method = job->fast ? JDCT_IFAST : JDCT_ISLOW;
    cinfo.do_fancy_upsampling = job->fast ? FALSE : TRUE;
    jpeg_start_decompress(&cinfo);
    job->width = static_cast<int>(cinfo.output_width);
    job->height = static_cast<int>(cinfo.output_height);
    const int components = cinfo.output_components;
    if (components != 1 && components != 3 && components != 4) {
        jpeg_destroy_decompress(&cinfo);
        return -1;
    }
    PrepareOutput(job, components);
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        JSAMPROW rows[1] = {job->row.data()};
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) break;
        StoreRow(job, y, components, cmyk, inverted);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return 0;
}

}  // namespace

void DecodeJPEG(const std::string& data, TBitmap& bitmap, TJPEGScale scale, bool grayscale, bool fast) {
    DecodeJob job;
    job.data = reinterpret_cast<const unsigned char*>(data.data());
    job.size = static_cast<unsigned long>(data.size());
    job.scaleDenom = 1 << static_cast<int>(scale);
    job.grayscale = grayscale;
    job.fast = fast;
    if (data.empty()) throw EJPEG(Format(SJPEGError, int(JERR_INPUT_EMPTY)));
    const int code = RunDecode(&job);
    if (code != 0) throw EJPEG(Format(SJPEGError, code));
    if (job.width <= 0 || job.height <= 0) throw EJPEG(Format(SJPEGError, -1));
    TBitmap result;
    result.SetPixelFormat(pf24bit);
    result.SetSize(job.width, job.height);
    for (int y = 0; y < job.height; ++y)
        std::memcpy(result.ScanLine(y), job.bgr.data() + size_t(y) * job.width * 3, size_t(job.width) * 3);
    bitmap.Assign(&result);
}

// ---------------------------------------------------------------------------

DP_PUBLISHED(TJPEGImage){
    DP_PROP_INT(CompressionQuality, CompressionQuality, SetCompressionQuality),
    DP_PROP_BOOL(Grayscale, Grayscale, SetGrayscale),
    DP_PROP_ENUM(Performance, Performance, SetPerformance),
    DP_PROP_ENUM(PixelFormat, PixelFormat, SetPixelFormat),
    DP_PROP_BOOL(ProgressiveEncoding, ProgressiveEncoding, SetProgressiveEncoding),
    DP_PROP_ENUM(Scale, Scale, SetScale),
    DP_PROP_BOOL(Smoothing, Smoothing, SetSmoothing),
};

// Programs that show JPEG pictures link this file whole (dp_jpegimage), so pictures learn
// the format at start-up and programs that never show one carry no codec. First in the
// list, so the open-picture filter names it first.
namespace {
const bool jpegRegistered = [] {
    auto& formats = TPicture::FileFormats();
    const TGraphicFactory create = [] { return static_cast<TGraphic*>(new TJPEGImage); };
    formats.insert(formats.begin(), {{"jpg", "JPEG Image File", create, &TJPEGImage::StaticClassInfo()},
                                     {"jpeg", "JPEG Image File", create, &TJPEGImage::StaticClassInfo()}});
    return true;
}();
}  // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::SetWidth(int32_t width) {
    if (width != Width()) throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}

void TJPEGImage::SetHeight(int32_t height) {
    if (height != Height()) throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}

void TJPEGImage::SetTransparent(bool) {}

void TJPEGImage::Decode() {
    if (m_data.empty()) {
        m_bitmap.reset();
        return;
    }
    auto bmp = std::make_unique<TBitmap>();
    DecodeJPEG(m_data, *bmp, m_scale, m_grayscale, m_performance == jpBestSpeed);
    if (m_pixelFormat == jf8Bit) bmp->SetPixelFormat(pf8bit);
    m_bitmap = std::move(bmp);
}

void TJPEGImage::LoadFromStream(TStream& stream) {
    const int64_t remaining = stream.Size() - stream.Position();
    if (remaining > (int64_t(256) << 20)) throw EJPEG(Format(SJPEGError, kTooLargeCode));
    std::string data = remaining > 0 ? stream.ReadString(remaining) : std::string();
    if (data.empty()) {
        m_data.clear();
        m_bitmap.reset();
        m_imageWidth = m_imageHeight = 0;
        Changed();
        return;
    }
    auto bmp = std::make_unique<TBitmap>();
    DecodeJPEG(data, *bmp, m_scale, m_grayscale, m_performance == jpBestSpeed);
    if (m_pixelFormat == jf8Bit) bmp->SetPixelFormat(pf8bit);
    const int full = 1 << static_cast<int>(m_scale);
    m_data = std::move(data);
    m_bitmap = std::move(bmp);
    // The unscaled size, as far as the scaled one tells (exact at full size).
    m_imageWidth = m_bitmap->Width() * full;
    m_imageHeight = m_bitmap->Height() * full;
    if (m_scale == jsFullSize) {
        m_imageWidth = m_bitmap->Width();
        m_imageHeight = m_bitmap->Height();
    }
    Changed();
}

TJPEGEncoder& JPEGEncoder() {
    static TJPEGEncoder encoder = nullptr;
    return encoder;
}

std::string TJPEGImage::Encode(TBitmap& bitmap) const {
    if (!JPEGEncoder()) throw EJPEG("JPEG compression is not part of this program");
    return JPEGEncoder()(bitmap, m_quality, m_grayscale, m_progressive);
}

void TJPEGImage::JPEGNeeded() {
    if (m_data.empty() && m_bitmap && !m_bitmap->Empty()) m_data = Encode(*m_bitmap);
}

void TJPEGImage::SaveToStream(TStream& stream) {
    JPEGNeeded();
    if (!m_data.empty()) stream.WriteString(m_data);
}

void TJPEGImage::ReadData(TStream& stream) {
    const uint32_t size = stream.ReadU32();
    if (size > stream.Size() - stream.Position()) throw EJPEG(Format(SJPEGError, int(JERR_INPUT_EOF)));
    TStringStream s(stream.ReadString(size));
    LoadFromStream(s);
}

void TJPEGImage::WriteData(TStream& stream) {
    JPEGNeeded();
    stream.WriteU32(static_cast<uint32_t>(m_data.size()));
    stream.WriteString(m_data);
}

void TJPEGImage::Assign(TPersistent* source) {
    if (!source) {
        m_data.clear();
        m_bitmap.reset();
        Changed();
        return;
    }
    if (auto* j = DynamicAs<TJPEGImage>(source)) {
        if (j == this) return;
        m_data = j->m_data;
        m_scale = j->m_scale;
        m_grayscale = j->m_grayscale;
        m_pixelFormat = j->m_pixelFormat;
        m_performance = j->m_performance;
        m_quality = j->m_quality;
        m_progressive = j->m_progressive;
        m_smoothing = j->m_smoothing;
        m_imageWidth = j->m_imageWidth;
        m_imageHeight = j->m_imageHeight;
        if (j->m_bitmap) {
            m_bitmap = std::make_unique<TBitmap>();
            m_bitmap->Assign(j->m_bitmap.get());
        } else {
            m_bitmap.reset();
        }
        Changed();
        return;
    }
    if (auto* b = DynamicAs<TBitmap>(source)) {
        std::string data = Encode(*b);
        auto bmp = std::make_unique<TBitmap>();
        bmp->Assign(b);
        bmp->SetTransparent(false);
        m_imageWidth = bmp->Width();
        m_imageHeight = bmp->Height();
        m_bitmap = std::move(bmp);
        m_data = std::move(data);
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TJPEGImage::AssignTo(TPersistent* dest) const {
    if (auto* b = DynamicAs<TBitmap>(dest)) {
        if (m_bitmap)
            b->Assign(m_bitmap.get());
        else
            b->Assign(nullptr);
        return;
    }
    TGraphic::AssignTo(dest);
}

void TJPEGImage::Draw(TCanvas* canvas, const TRect& r) {
    if (m_bitmap && !m_bitmap->Empty()) canvas->StretchDraw(r, m_bitmap.get());
}

void TJPEGImage::SetScale(TJPEGScale scale) {
    if (scale == m_scale) return;
    m_scale = scale;
    if (!m_data.empty()) Decode();
    Changed();
}

void TJPEGImage::SetGrayscale(bool value) {
    if (value == m_grayscale) return;
    m_grayscale = value;
    if (!m_data.empty()) Decode();
    Changed();
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat format) {
    if (format == m_pixelFormat) return;
    m_pixelFormat = format;
    if (!m_data.empty()) Decode();
    Changed();
}

void TJPEGImage::SetPerformance(TJPEGPerformance value) {
    if (value == m_performance) return;
    m_performance = value;
    if (!m_data.empty()) Decode();
    Changed();
}

void TJPEGImage::SetCompressionQuality(int32_t quality) { m_quality = quality < 1 ? 1 : quality > 100 ? 100 : quality; }

void TJPEGImage::SetSmoothing(bool value) { m_smoothing = value; }

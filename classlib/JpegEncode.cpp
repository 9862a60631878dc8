// JPEG compression. Linked whole (dp_jpegencoder) by the programs that write JPEG images, so
// that a program which only shows them carries no encoder.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "classlib/Jpeg.h"
#include "classlib/JpegErrors.h"

using namespace jpeg_internal;

namespace {

struct EncodeJob {
    int width, height;
    const std::vector<uint8_t>* rgb;  // top-down rows of width * 3 bytes
    int quality;
    bool grayscale;
    bool progressive;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
};

__attribute__((noinline)) int RunEncode(EncodeJob* job) {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    std::memset(&cinfo, 0, sizeof(cinfo));
    SetUpErrors(err);
    cinfo.err = &err.pub;
    if (__builtin_setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return err.code ? err.code : -1;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &job->out, &job->outSize);
    cinfo.image_width = static_cast<JDIMENSION>(job->width);
    cinfo.image_height = static_cast<JDIMENSION>(job->height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, job->quality, TRUE);
    if (job->grayscale) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
    if (job->progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[1] = {const_cast<uint8_t*>(job->rgb->data()) + size_t(cinfo.next_scanline) * job->width * 3};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return 0;
}

const bool encoderRegistered = [] {
    JPEGEncoder() = &EncodeJPEG;
    return true;
}();

}  // namespace

std::string EncodeJPEG(TBitmap& bitmap, int quality, bool grayscale, bool progressive) {
    if (bitmap.Empty()) return {};
    TBitmap copy;
    copy.Assign(&bitmap);
    copy.SetTransparent(false);
    copy.SetPixelFormat(pf24bit);
    std::vector<uint8_t> rgb(size_t(copy.Width()) * copy.Height() * 3);
    for (int y = 0; y < copy.Height(); ++y) {
        const auto* s = static_cast<const uint8_t*>(copy.ScanLine(y));
        uint8_t* d = rgb.data() + size_t(y) * copy.Width() * 3;
        for (int x = 0; x < copy.Width(); ++x) {
            d[x * 3] = s[x * 3 + 2];
            d[x * 3 + 1] = s[x * 3 + 1];
            d[x * 3 + 2] = s[x * 3];
        }
    }
    EncodeJob job{copy.Width(), copy.Height(), &rgb, quality < 1 ? 1 : quality > 100 ? 100 : quality,
                  grayscale,    progressive};
    const int code = RunEncode(&job);
    std::string out;
    if (code == 0 && job.out) out.assign(reinterpret_cast<const char*>(job.out), job.outSize);
    if (job.out) std::free(job.out);
    if (code != 0) throw EJPEG(Format(SJPEGError, code));
    return out;
}

// Our own artwork for the builder, drawn in code so that no picture file has to
// be kept in the repository: the frame behind the movie preview (JPEG), the
// product logo and the small tips picture (bitmaps) and the program icon.
//
//   artgen form <template> <output>   copies a form definition, replacing each
//                                      line "@ART:<name>@" by the picture data
//   artgen icon <output.ico>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "tools/fixedmath/FixedSine.h"

namespace {

struct Image {
    int w = 0, h = 0;
    std::vector<uint32_t> px;  // 0x00RRGGBB, top row first
    Image(int width, int height, uint32_t fill = 0) : w(width), h(height), px(size_t(width) * height, fill) {}
    void Set(int x, int y, uint32_t c) {
        if (x >= 0 && y >= 0 && x < w && y < h) px[size_t(y) * w + x] = c;
    }
    uint32_t Get(int x, int y) const { return px[size_t(y) * w + x]; }
};

uint32_t Rgb(int r, int g, int b) {
    auto c = [](int v) { return uint32_t(v < 0 ? 0 : v > 255 ? 255 : v); };
    return (c(r) << 16) | (c(g) << 8) | c(b);
}

uint32_t Mix(uint32_t a, uint32_t b, double t) {
    auto ch = [&](int s) { return int(((a >> s) & 255) * (1 - t) + ((b >> s) & 255) * t + 0.5); };
    return Rgb(ch(16), ch(8), ch(0));
}

void FillRect(Image& img, int x0, int y0, int x1, int y1, uint32_t c) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) img.Set(x, y, c);
}

// A 5x7 pixel font for the few letters the logo needs.
const char* Glyph(char ch) {
    switch (ch) {
        case 'D': return "11110100011000110001100011000111110";
        case 'R': return "11110100011000111110101001001010001";
        case 'I': return "01110001000010000100001000010001110";
        case 'F': return "11111100001000011110100001000010000";
        case 'T': return "11111001000010000100001000010000100";
        case 'P': return "11110100011000111110100001000010000";
        case 'A': return "01110100011000111111100011000110001";
        case 'N': return "10001110011010110011100011000110001";
        case 'E': return "11111100001000011110100001000011111";
        case 'M': return "10001110111010110101100011000110001";
        case 'K': return "10001100101010011000101001001010001";
        case '2': return "01110100010000100110010001000011111";
        case '0': return "01110100011001110101110011000101110";
        case '7': return "11111000010001000100010000100001000";
        case '.': return "00000000000000000000000000110001100";
        default: return "00000000000000000000000000000000000";
    }
}

void DrawText(Image& img, int x, int y, const std::string& text, int scale, uint32_t c) {
    for (char ch : text) {
        const char* g = Glyph(ch);
        for (int gy = 0; gy < 7; ++gy)
            for (int gx = 0; gx < 5; ++gx)
                if (g[gy * 5 + gx] == '1')
                    FillRect(img, x + gx * scale, y + gy * scale, x + (gx + 1) * scale, y + (gy + 1) * scale, c);
        x += 6 * scale;
    }
}

// The frame behind the movie preview: a bevelled screen on a soft gradient.
Image MainArtwork() {
    Image img(181, 169);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            double t = (x + y) / double(img.w + img.h);
            uint32_t c = Mix(Rgb(40, 70, 140), Rgb(150, 190, 235), t);
            // soft waves: the "drift" of the name
            double wave = fixedmath::SinValue(x * 730 + y * 313) * 0.5 + 0.5;
            img.Set(x, y, Mix(c, Rgb(255, 255, 255), wave * 0.12));
        }
    // the monitor: outer bevel, then the dark screen the control covers
    FillRect(img, 10, 14, 171, 140, Rgb(210, 210, 215));
    FillRect(img, 10, 14, 171, 16, Rgb(250, 250, 250));
    FillRect(img, 10, 14, 12, 140, Rgb(250, 250, 250));
    FillRect(img, 10, 138, 171, 140, Rgb(110, 110, 120));
    FillRect(img, 169, 14, 171, 140, Rgb(110, 110, 120));
    FillRect(img, 14, 18, 167, 133, Rgb(20, 24, 40));
    // the stand
    FillRect(img, 78, 140, 103, 152, Rgb(170, 170, 180));
    FillRect(img, 58, 152, 123, 158, Rgb(190, 190, 200));
    return img;
}

Image LogoArtwork() {
    // Magenta is the transparent colour of the bitmap (its bottom-left pixel).
    Image img(345, 71, Rgb(255, 0, 255));
    // a waving ribbon left of the name
    for (int x = 6; x < 64; ++x) {
        int mid = 35 + int(fixedmath::SinValue(x * 1877) * 12);
        for (int y = mid - 7; y <= mid + 7; ++y)
            img.Set(x, y, Mix(Rgb(30, 90, 200), Rgb(120, 200, 255), (x - 6) / 58.0));
    }
    DrawText(img, 76, 10, "DRIFTPANE", 4, Rgb(20, 50, 120));
    DrawText(img, 78, 46, "MAKER 2.07", 2, Rgb(80, 110, 170));
    return img;
}

Image TipsArtwork() {
    // a small light bulb
    Image img(17, 16, Rgb(255, 0, 255));
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 17; ++x) {
            double dx = x - 8, dy = y - 5.5;
            if (dx * dx + dy * dy <= 30) img.Set(x, y, dx * dx + dy * dy < 6 ? Rgb(255, 255, 200) : Rgb(255, 220, 40));
        }
    FillRect(img, 6, 11, 11, 14, Rgb(150, 150, 160));
    FillRect(img, 7, 14, 10, 16, Rgb(90, 90, 100));
    return img;
}

void Put16(std::string& s, uint32_t v) {
    s.push_back(char(v & 255));
    s.push_back(char((v >> 8) & 255));
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// A 24-bit bottom-up BMP file.
std::string Bmp(const Image& img) {
    const uint32_t stride = (uint32_t(img.w) * 3 + 3) & ~3u;
    const uint32_t bits = stride * uint32_t(img.h);
    std::string s;
    s += "BM";
    Put32(s, 54 + bits);
    Put32(s, 0);
    Put32(s, 54);
    Put32(s, 40);
    Put32(s, uint32_t(img.w));
    Put32(s, uint32_t(img.h));
    Put16(s, 1);
    Put16(s, 24);
    Put32(s, 0);
    Put32(s, bits);
    Put32(s, 2835);
    Put32(s, 2835);
    Put32(s, 0);
    Put32(s, 0);
    for (int y = img.h - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < img.w; ++x) {
            uint32_t c = img.Get(x, y);
            row.push_back(char(c & 255));
            row.push_back(char((c >> 8) & 255));
            row.push_back(char((c >> 16) & 255));
        }
        row.resize(stride, '\0');
        s += row;
    }
    return s;
}

std::string Jpeg(const Image& img) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(img.w);
    cinfo.image_height = JDIMENSION(img.h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(size_t(img.w) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = int(cinfo.next_scanline);
        for (int x = 0; x < img.w; ++x) {
            uint32_t c = img.Get(x, y);
            row[size_t(x) * 3] = (c >> 16) & 255;
            row[size_t(x) * 3 + 1] = (c >> 8) & 255;
            row[size_t(x) * 3 + 2] = c & 255;
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string out(reinterpret_cast<char*>(buffer), size);
    jpeg_destroy_compress(&cinfo);
    free(buffer);
    return out;
}

// The stored picture: the graphic's class name with a length byte, then the
// 32-bit length of the file bytes and the bytes themselves.
std::string PictureData(const std::string& className, const std::string& bytes) {
    std::string s;
    s.push_back(char(className.size()));
    s += className;
    Put32(s, uint32_t(bytes.size()));
    s += bytes;
    return s;
}

std::string HexBlock(const std::string& data, const std::string& indent) {
    static const char* digits = "0123456789ABCDEF";
    std::string out = "{";
    for (size_t i = 0; i < data.size(); ++i) {
        if (i % 32 == 0) out += "\n" + indent + "  ";
        unsigned char b = static_cast<unsigned char>(data[i]);
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 15]);
    }
    return out + "}";
}

bool ArtData(const std::string& name, std::string& data) {
    if (name == "main")
        data = PictureData("TJPEGImage", Jpeg(MainArtwork()));
    else if (name == "logo")
        data = PictureData("TBitmap", Bmp(LogoArtwork()));
    else if (name == "tips")
        data = PictureData("TBitmap", Bmp(TipsArtwork()));
    else
        return false;
    return true;
}

// 32-bit icon images with their AND masks.
std::string IconImage(int size) {
    Image img(size, size);
    const double scale = size / 32.0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double fx = x / scale, fy = y / scale;
            uint32_t c = 0;
            bool on = false;
            if (fx >= 2 && fx < 30 && fy >= 4 && fy < 24) {  // the screen
                on = true;
                bool border = fx < 4 || fx >= 28 || fy < 6 || fy >= 22;
                double wave = 14 + fixedmath::SinValue(static_cast<int64_t>(fx * 4694)) * 4;
                c = border ? Rgb(200, 200, 210) : (std::fabs(fy - wave) < 2.2 ? Rgb(120, 200, 255) : Rgb(30, 60, 140));
            } else if (fx >= 13 && fx < 19 && fy >= 24 && fy < 27) {
                on = true;
                c = Rgb(160, 160, 170);
            } else if (fx >= 8 && fx < 24 && fy >= 27 && fy < 29) {
                on = true;
                c = Rgb(180, 180, 190);
            }
            img.Set(x, y, on ? (c | 0xFF000000u) : 0);
        }
    std::string s;
    Put32(s, 40);
    Put32(s, uint32_t(size));
    Put32(s, uint32_t(size * 2));
    Put16(s, 1);
    Put16(s, 32);
    Put32(s, 0);
    Put32(s, 0);
    Put32(s, 0);
    Put32(s, 0);
    Put32(s, 0);
    Put32(s, 0);
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x) Put32(s, img.Get(x, y));
    const int maskStride = ((size + 31) / 32) * 4;
    for (int y = size - 1; y >= 0; --y) {
        std::string row(size_t(maskStride), '\0');
        for (int x = 0; x < size; ++x)
            if (!(img.Get(x, y) & 0xFF000000u)) row[size_t(x / 8)] |= char(0x80 >> (x % 8));
        s += row;
    }
    return s;
}

std::string Icon() {
    const int sizes[] = {32, 16};
    std::vector<std::string> images;
    for (int sz : sizes) images.push_back(IconImage(sz));
    std::string s;
    Put16(s, 0);
    Put16(s, 1);
    Put16(s, uint32_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        s.push_back(char(sizes[i]));
        s.push_back(char(sizes[i]));
        s.push_back(0);
        s.push_back(0);
        Put16(s, 1);
        Put16(s, 32);
        Put32(s, uint32_t(images[i].size()));
        Put32(s, offset);
        offset += uint32_t(images[i].size());
    }
    for (auto& img : images) s += img;
    return s;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(f);
}

int Form(const std::string& in, const std::string& out) {
    std::ifstream f(in, std::ios::binary);
    if (!f) {
        std::cerr << "artgen: cannot read " << in << "\n";
        return 1;
    }
    std::ostringstream result;
    std::string line;
    while (std::getline(f, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // A file made earlier in the build, beside the output: its bytes as they are.
        const size_t fileAt = line.find("@FILE:");
        if (fileAt != std::string::npos) {
            const size_t end = line.find('@', fileAt + 6);
            const std::string dir = out.substr(0, out.find_last_of('/') + 1);
            std::ifstream file(dir + line.substr(fileAt + 6, end == std::string::npos ? 0 : end - fileAt - 6),
                               std::ios::binary);
            if (end == std::string::npos || !file) {
                std::cerr << "artgen: missing file in " << in << ": " << line << "\n";
                return 1;
            }
            const std::string data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            const size_t indent = line.find_first_not_of(' ');
            line = line.substr(0, fileAt) + HexBlock(data, std::string(indent == std::string::npos ? 0 : indent, ' ')) +
                   line.substr(end + 1);
        }
        const size_t at = line.find("@ART:");
        if (at != std::string::npos) {
            const size_t end = line.find('@', at + 5);
            std::string data;
            if (end == std::string::npos || !ArtData(line.substr(at + 5, end - at - 5), data)) {
                std::cerr << "artgen: unknown artwork in " << in << ": " << line << "\n";
                return 1;
            }
            const size_t indent = line.find_first_not_of(' ');
            line = line.substr(0, at) + HexBlock(data, std::string(indent == std::string::npos ? 0 : indent, ' ')) +
                   line.substr(end + 1);
        }
        result << line << "\r\n";
    }
    return WriteFile(out, result.str()) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "form") == 0) return Form(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "icon") == 0) return WriteFile(argv[2], Icon()) ? 0 : 1;
    std::cerr << "usage: artgen form <template> <output> | artgen icon <output.ico>\n";
    return 2;
}

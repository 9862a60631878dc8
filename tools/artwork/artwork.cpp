// Draws the installer's own pictures (the wizard's header and side pictures)
// and writes them into stored form definitions. Plain C++, so a Windows build
// can compile it for the host and run it at build time.
//
//   artwork form <template> <output>
// copies the template, replacing every line "<indent>Picture.Data = @name@"
// by the picture's stored data; names: header (55 x 55), side (165 x 313).
//   artwork bmp <name> <output.bmp>
// writes one picture as a BMP file.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tools/fixedmath/FixedSine.h"

namespace {

struct Image {
    int w = 0, h = 0;
    std::vector<uint32_t> px;  // 0x00RRGGBB, top row first
    void Set(int x, int y, uint32_t c) {
        if (x >= 0 && y >= 0 && x < w && y < h) px[static_cast<size_t>(y) * w + x] = c;
    }
};

uint32_t Rgb(double r, double g, double b) {
    auto c = [](double v) { return static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v + 0.5); };
    return (c(r) << 16) | (c(g) << 8) | c(b);
}

uint32_t Mix(uint32_t a, uint32_t b, double t) {
    auto ch = [&](int s) {
        const double x = (a >> s) & 0xFF, y = (b >> s) & 0xFF;
        return x + (y - x) * t;
    };
    return Rgb(ch(16), ch(8), ch(0));
}

// A small screen with a wave across it: the wallpaper being installed.
Image Header() {
    Image im{55, 55, std::vector<uint32_t>(55 * 55, 0xFFFFFF)};
    const uint32_t frame = 0x404850, sky1 = 0x1E4FA0, sky2 = 0x7FB8F0;
    for (int y = 6; y < 40; ++y)
        for (int x = 5; x < 50; ++x) {
            const bool edge = y < 8 || y > 37 || x < 7 || x > 47;
            if (edge) {
                im.Set(x, y, frame);
                continue;
            }
            const double t = (y - 8) / 30.0;
            uint32_t c = Mix(sky1, sky2, t);
            const double wave = 24 + 5 * fixedmath::SinValue((x - 7) * 1738);
            if (y > wave) c = Mix(0x2E8B57, 0x145A32, (y - wave) / 14.0);
            im.Set(x, y, c);
        }
    // Stand and foot.
    for (int y = 40; y < 46; ++y)
        for (int x = 24; x < 31; ++x) im.Set(x, y, frame);
    for (int y = 46; y < 49; ++y)
        for (int x = 15; x < 40; ++x) im.Set(x, y, frame);
    // A sun.
    for (int y = 10; y < 22; ++y)
        for (int x = 34; x < 46; ++x) {
            const double d = std::sqrt((x - 40.0) * (x - 40.0) + (y - 16.0) * (y - 16.0));
            if (d < 4.5) im.Set(x, y, Mix(0xFFE070, 0xFFB020, d / 4.5));
        }
    return im;
}

// A tall gradient with drifting bands.
Image Side() {
    Image im{165, 313, std::vector<uint32_t>(165 * 313)};
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) {
            const double t = static_cast<double>(y) / (im.h - 1);
            uint32_t c = Mix(0x0B2A6F, 0x3C8DDC, t);
            for (int band = 0; band < 4; ++band) {
                const double centre = 60 + band * 62 + 14 * fixedmath::SinValue(x * 453 + band * 17732);
                const double d = std::fabs(y - centre);
                if (d < 9) c = Mix(c, 0xFFFFFF, 0.22 * (1 - d / 9));
            }
            im.Set(x, y, c);
        }
    return im;
}

bool Make(const std::string& name, Image& im) {
    if (name == "header") {
        im = Header();
        return true;
    }
    if (name == "side") {
        im = Side();
        return true;
    }
    return false;
}

void Put16(std::string& b, uint32_t v) {
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// An 8-bit RLE-compressed bottom-up BMP with a BITMAPINFOHEADER: the pictures are smooth
// gradients, so few colours and long runs keep them a small part of every installer. The
// colours are rounded to coarser steps until at most 256 remain.
std::string Bmp(const Image& im) {
    std::vector<uint32_t> px = im.px;
    std::map<uint32_t, uint8_t> index;
    for (uint32_t step = 1;; ++step) {
        auto round = [step](uint32_t c, int s) {
            const uint32_t v = (c >> s) & 0xFF, r = (v + step / 2) / step * step;
            return (r > 255 ? 255u : r) << s;
        };
        index.clear();
        for (size_t i = 0; i < px.size(); ++i) {
            px[i] = round(im.px[i], 16) | round(im.px[i], 8) | round(im.px[i], 0);
            if (index.size() <= 256) index.emplace(px[i], 0);
        }
        if (index.size() <= 256) break;
    }
    std::string palette;
    uint8_t next = 0;
    for (auto& [colour, i] : index) {
        i = next++;
        Put32(palette, colour);  // blue, green, red, 0
    }
    std::string bits;
    for (int y = im.h - 1; y >= 0; --y) {
        for (int x = 0; x < im.w;) {
            const uint8_t v = index[px[static_cast<size_t>(y) * im.w + x]];
            int n = 1;
            while (x + n < im.w && n < 255 && index[px[static_cast<size_t>(y) * im.w + x + n]] == v) ++n;
            bits += static_cast<char>(n);
            bits += static_cast<char>(v);
            x += n;
        }
        bits += std::string("\0\0", 2);  // end of line
    }
    bits += std::string("\0\1", 2);  // end of bitmap
    const uint32_t offBits = 14 + 40 + static_cast<uint32_t>(palette.size());
    std::string b;
    b += "BM";
    Put32(b, offBits + static_cast<uint32_t>(bits.size()));
    Put32(b, 0);
    Put32(b, offBits);
    Put32(b, 40);
    Put32(b, static_cast<uint32_t>(im.w));
    Put32(b, static_cast<uint32_t>(im.h));
    Put16(b, 1);
    Put16(b, 8);
    Put32(b, 1);  // BI_RLE8
    Put32(b, static_cast<uint32_t>(bits.size()));
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, static_cast<uint32_t>(index.size()));
    Put32(b, 0);
    return b + palette + bits;
}

// A picture's stored data: the class name with a length byte, then the
// bitmap's own form, a 32-bit length and the BMP bytes.
std::string PictureData(const Image& im) {
    const std::string bmp = Bmp(im);
    std::string d;
    d += static_cast<char>(7);
    d += "TBitmap";
    Put32(d, static_cast<uint32_t>(bmp.size()));
    return d + bmp;
}

std::string HexBlock(const std::string& bytes, const std::string& indent) {
    static const char* digits = "0123456789ABCDEF";
    std::string out = "{";
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i % 32 == 0) out += "\n" + indent + "  ";
        const auto v = static_cast<uint8_t>(bytes[i]);
        out += digits[v >> 4];
        out += digits[v & 15];
    }
    return out + "}";
}

int Form(const std::string& in, const std::string& out) {
    std::ifstream src(in, std::ios::binary);
    if (!src) {
        std::cerr << "artwork: cannot read " << in << "\n";
        return 1;
    }
    std::ostringstream text;
    std::string line;
    while (std::getline(src, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t at = line.find("Picture.Data = @");
        if (at != std::string::npos) {
            const size_t end = line.find('@', at + 16);
            const std::string name = end == std::string::npos ? std::string() : line.substr(at + 16, end - at - 16);
            Image im;
            if (!Make(name, im)) {
                std::cerr << "artwork: unknown picture '" << name << "' in " << in << "\n";
                return 1;
            }
            const std::string indent = line.substr(0, at);
            line = indent + "Picture.Data = " + HexBlock(PictureData(im), indent);
        }
        text << line << "\r\n";
    }
    std::ofstream dst(out, std::ios::binary);
    dst << text.str();
    return dst ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "form") return Form(argv[2], argv[3]);
    if (argc == 4 && std::string(argv[1]) == "bmp") {
        Image im;
        if (!Make(argv[2], im)) return 1;
        std::ofstream dst(argv[3], std::ios::binary);
        dst << Bmp(im);
        return dst ? 0 : 1;
    }
    std::cerr << "usage: artwork form <template> <output> | artwork bmp <header|side> <output.bmp>\n";
    return 2;
}

#include "tests/driver/DriverTestUtil.h"

#include <zlib.h>

#include <cstring>
#include <sstream>

using namespace dptest;

namespace {
std::unique_ptr<VirtualDesktop> g_desktop;
}

void DesktopEnvironment::SetUp() {
    g_desktop = std::make_unique<VirtualDesktop>(1024, 768);
}

void DesktopEnvironment::TearDown() {
    g_desktop.reset();
}

bool DesktopEnvironment::Ok() {
    return g_desktop && g_desktop->Ok();
}

void TargetTest::SetUp() {
    std::string dir = ArtifactDir();
    logPath_ = dir + "target.log";
    DeleteFileA(logPath_.c_str());
    std::string args = "\"" + logPath_ + "\"";
    if (!Position().empty()) args += " " + Position();
    ASSERT_TRUE(target_.Start(BinDir() + "dp_driver_target.exe", args, dir));
    main_ = WaitForWindow("Driver Target", "DpDriverTarget", target_.Pid());
    ASSERT_NE(main_, nullptr);
}

std::vector<std::string> TargetTest::Log() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadFileText(logPath_));
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

bool TargetTest::Logged(const std::string& line) const {
    for (const auto& l : Log())
        if (l == line) return true;
    return false;
}

bool TargetTest::WaitLogged(const std::string& line) {
    if (PollUntil([&] { return Logged(line); }, kWaitMs)) return true;
    std::string all;
    for (const auto& l : Log()) all += "\n  " + l;
    ADD_FAILURE() << "the target never logged \"" << line << "\"; its log:" << all;
    return false;
}

HWND TargetTest::Control(int id) {
    return NeedChildById(main_, id);
}

namespace {
uint32_t BE32(const unsigned char* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
}  // namespace

bool ReadPng(const std::string& bytes, Png& png, std::string& error) {
    static const unsigned char sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t size = bytes.size();
    if (size < 8 || std::memcmp(p, sig, 8) != 0) return error = "no PNG signature", false;
    size_t at = 8;
    std::string idat;
    bool sawHeader = false, sawEnd = false;
    while (at + 12 <= size) {
        uint32_t len = BE32(p + at);
        if (len > size - at - 12) return error = "chunk runs past the end", false;
        std::string type(reinterpret_cast<const char*>(p + at + 4), 4);
        const unsigned char* data = p + at + 8;
        uLong crc = crc32(0, p + at + 4, len + 4);
        if (crc != BE32(data + len)) return error = "bad CRC in " + type, false;
        if (type == "IHDR") {
            if (len != 13) return error = "IHDR of " + std::to_string(len) + " bytes", false;
            png.width = BE32(data);
            png.height = BE32(data + 4);
            if (data[8] != 8 || data[9] != 2 || data[12] != 0) return error = "not 8-bit RGB without interlace", false;
            sawHeader = true;
        } else if (type == "IDAT") {
            idat.append(reinterpret_cast<const char*>(data), len);
        } else if (type == "IEND") {
            sawEnd = true;
            break;
        }
        at += 12 + size_t{len};
    }
    if (!sawHeader || !sawEnd) return error = "IHDR or IEND missing", false;
    if (png.width == 0 || png.height == 0 || png.width > 16384 || png.height > 16384) return error = "bad size", false;
    size_t stride = 1 + size_t{png.width} * 3;
    std::vector<unsigned char> raw(stride * png.height);
    uLongf rawSize = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(idat.data()), static_cast<uLong>(idat.size())) != Z_OK ||
        rawSize != raw.size())
        return error = "IDAT does not inflate to the image size", false;
    png.pixels.resize(size_t{png.width} * png.height);
    for (uint32_t y = 0; y < png.height; ++y) {
        const unsigned char* row = raw.data() + y * stride;
        if (row[0] != 0) return error = "row filter " + std::to_string(row[0]) + " (only none is written)", false;
        for (uint32_t x = 0; x < png.width; ++x) {
            const unsigned char* px = row + 1 + x * 3;
            png.pixels[size_t{y} * png.width + x] = (uint32_t{px[0]} << 16) | (uint32_t{px[1]} << 8) | px[2];
        }
    }
    return true;
}

// The wallpaper page in a real browser: headless Chromium renders pages written
// by the model, with a Preview.bmp of ours beside them (the OBJECT tag's
// fallback picture shows where the movie sits), and the screenshot is checked
// for the background colour and the movie rectangle.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "builder/WallPaperClass.h"
#include "classlib/BmpFile.h"
#include "classlib/PngFile.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kChromium = "/usr/bin/chromium";
constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct Rgb {
    int r, g, b;
};

// Page background (#204080) and the colour of our Preview.bmp.
constexpr Rgb kBackground = {0x20, 0x40, 0x80};
constexpr int32_t kBackgroundValue = 0x00804020;  // red in the low byte
constexpr Rgb kPreview = {0xE0, 0xA0, 0x10};

bool Near(const Rgb& a, const Rgb& b) {
    return std::abs(a.r - b.r) <= 4 && std::abs(a.g - b.g) <= 4 && std::abs(a.b - b.b) <= 4;
}

std::string Hex(const Rgb& c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c.r, c.g, c.b);
    return buf;
}

// A 16 x 16 BMP of one colour.
std::string SolidBmp(const Rgb& c) {
    const std::vector<uint32_t> pixels(16 * 16, (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | uint32_t(c.b));
    const std::vector<uint8_t> bmp = WriteBmp24(16, 16, pixels.data());
    return std::string(bmp.begin(), bmp.end());
}

struct Image {
    int width = 0, height = 0;
    std::vector<Rgb> px;
    const Rgb& At(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};

// Chromium's screenshot, as the checks below read it.
bool DecodePng(const std::string& file, Image& img, std::string& why) {
    TRgbImage rgb;
    if (!ReadPng(file, rgb, why)) return false;
    img.width = static_cast<int>(rgb.Width);
    img.height = static_cast<int>(rgb.Height);
    img.px.clear();
    for (uint32_t p : rgb.Pixels)
        img.px.push_back({static_cast<int>(p >> 16), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)});
    return true;
}

// ---------------------------------------------------------------------------

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class PageInBrowser : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kChromium)) GTEST_SKIP() << kChromium << " is not installed";
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        dir_ = fs::temp_directory_path() / ("dp_page_" + std::to_string(stamp));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        if (!dir_.empty() && !::testing::Test::HasFailure()) fs::remove_all(dir_, ec);
    }

    // Renders the model's page with our Preview.bmp beside it.
    bool Render(const TDriftpaneClass& model, const std::string& name, Image& img) {
        const fs::path page = dir_ / (name + ".htm");
        const_cast<TDriftpaneClass&>(model).WriteHtmlPage(page.string());
        WriteFile(dir_ / "Preview.bmp", SolidBmp(kPreview));
        const fs::path shot = dir_ / (name + ".png");
        const fs::path profile = dir_ / ("profile_" + name);
        fs::create_directories(profile);
        const std::string cmd = std::string("timeout 120 ") + kChromium +
                                " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
                                " --disable-background-networking --disable-component-update --disable-sync"
                                " --hide-scrollbars --user-data-dir='" +
                                profile.string() + "'" + " --window-size=" + std::to_string(kWidth) + "," +
                                std::to_string(kHeight) + " --screenshot='" + shot.string() + "' 'file://" +
                                page.string() + "'" + " > '" + (dir_ / (name + ".log")).string() + "' 2>&1";
        const int rc = std::system(cmd.c_str());
        if (rc != 0 || !fs::exists(shot)) {
            ADD_FAILURE() << "chromium failed (" << rc << "):\n" << ReadFile(dir_ / (name + ".log"));
            return false;
        }
        // Keep the screenshot where a person can look at it.
        const fs::path keep = fs::path(DP_TEST_BIN_DIR) / "artifacts" / "page";
        std::error_code ec;
        fs::create_directories(keep, ec);
        fs::copy_file(shot, keep / shot.filename(), fs::copy_options::overwrite_existing, ec);
        std::string why;
        if (!DecodePng(ReadFile(shot), img, why)) {
            ADD_FAILURE() << name << ": " << why;
            return false;
        }
        return true;
    }

    fs::path dir_;
};

struct Rect {
    int left, top, width, height;
    bool Contains(int x, int y) const { return x >= left && x < left + width && y >= top && y < top + height; }
};

// The movie rectangle is exactly where the preview colour is, and every
// other pixel is the page background.
void CheckLayout(const Image& img, const Rect& movie, const std::string& name) {
    ASSERT_EQ(img.width, kWidth) << name;
    ASSERT_EQ(img.height, kHeight) << name;
    int minX = img.width, minY = img.height, maxX = -1, maxY = -1;
    long wrongInside = 0, wrongOutside = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const Rgb& c = img.At(x, y);
            const bool preview = Near(c, kPreview);
            if (preview) {
                minX = std::min(minX, x);
                minY = std::min(minY, y);
                maxX = std::max(maxX, x);
                maxY = std::max(maxY, y);
            }
            if (movie.Contains(x, y)) {
                if (!preview) ++wrongInside;
            } else if (!Near(c, kBackground)) {
                ++wrongOutside;
            }
        }
    EXPECT_EQ(minX, movie.left) << name;
    EXPECT_EQ(minY, movie.top) << name;
    EXPECT_EQ(maxX, movie.left + movie.width - 1) << name;
    EXPECT_EQ(maxY, movie.top + movie.height - 1) << name;
    EXPECT_EQ(wrongInside, 0) << name << ": pixels of the movie rectangle not in the preview colour";
    EXPECT_EQ(wrongOutside, 0) << name << ": pixels outside the movie not in the background colour " << Hex(kBackground)
                               << " (top left is " << Hex(img.At(0, 0)) << ")";
}

TDriftpaneClass PageModel(uint8_t position) {
    TDriftpaneClass m;
    m.Clear();
    m.SetFlashFile("C:\\Movies\\sample.swf");
    m.SetBackgroundPic("");
    m.SetBackgroundColor(kBackgroundValue);
    m.SetLoop(true);
    m.SetMovieQuality(1);
    m.SetMovieSize(0);
    m.SetWallPaperPosition(0);
    m.SetMoviePosition(position);
    return m;
}

TEST_F(PageInBrowser, MovieRectangleAndBackground) {
    struct Case {
        const char* name;
        uint8_t position;
        int left, top, right, bottom;  // custom values
        Rect expected;
    };
    const Case cases[] = {
        {"full_screen", 0, 0, 0, 0, 0, {0, 0, kWidth, kHeight}},
        {"center", 5, 0, 0, 0, 0, {kWidth / 4, kHeight / 4, kWidth / 2, kHeight / 2}},
        {"bottom_right", 9, 0, 0, 0, 0, {kWidth / 2, kHeight / 2, kWidth / 2, kHeight / 2}},
        // Left and top are bare numbers (pixels in the page's quirks mode),
        // width and height percentages of the screen.
        {"custom", 10, 30, 40, 50, 25, {30, 40, kWidth / 2, kHeight / 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDriftpaneClass m = PageModel(c.position);
        m.SetMovieLeft(c.left);
        m.SetMovieTop(c.top);
        m.SetMovieRight(c.right);
        m.SetMovieBottom(c.bottom);
        Image img;
        if (!Render(m, c.name, img)) continue;
        CheckLayout(img, c.expected, c.name);
    }
}

TEST_F(PageInBrowser, PageWithoutMovieLayerShowsOnlyTheBackground) {
    TDriftpaneClass m = PageModel(11);
    Image img;
    ASSERT_TRUE(Render(m, "no_layer", img));
    ASSERT_EQ(img.width, kWidth);
    // Without line 13 the movie's OBJECT sits in no layer of its own: it is
    // not where any position would put it, but the background still shows.
    EXPECT_TRUE(Near(img.At(kWidth - 1, kHeight - 1), kBackground)) << Hex(img.At(kWidth - 1, kHeight - 1));
}

}  // namespace

// The checks of the movie and the picture the user chose, made before anything is written.
#include <gtest/gtest.h>

#include <string>

#include "ModelTestUtil.h"
#include "builder/InputFiles.h"

namespace {

// An uncompressed movie header claiming its own length, then a frame rectangle and an End tag.
std::string TinyMovie() {
    std::string m = "FWS";
    m += char(6);
    const std::string body("\x08\x00\x00\x0c\x01\x00\x00\x00", 8);  // rect, rate, frames, End
    const uint32_t length = uint32_t(8 + body.size());
    for (int i = 0; i < 4; ++i) m += char((length >> (8 * i)) & 0xFF);
    return m + body;
}

TEST(InputFiles, MoviesAreKnownByTheirSignatureAndHeader) {
    ScratchDir dir;
    const struct {
        const char* name;
        std::string bytes;
        const char* says;  // part of the problem; nullptr: none
    } cases[] = {
        {"good.swf", TinyMovie(), nullptr},
        {"notamovie.swf", "just some text\r\n", "is not a Flash movie"},
        {"empty.swf", "", "is not a Flash movie"},
        {"short.swf", "FWS", "shorter than its header"},
        {"claims.swf", std::string("FWS\x06\xff\x00\x00\x00", 8) + "abc", "larger than the file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(c.name);
        WriteWholeFile(path, c.bytes);
        const std::string problem = MovieFileProblem(path);
        if (!c.says) {
            EXPECT_EQ(problem, "");
            continue;
        }
        EXPECT_NE(problem.find(c.says), std::string::npos) << problem;
        EXPECT_NE(problem.find(path), std::string::npos) << problem;  // names the file the user chose
    }
    EXPECT_NE(MovieFileProblem(dir.File("missing.swf")), "");
}

TEST(InputFiles, PicturesThePageCanShow) {
    ScratchDir dir;
    const struct {
        const char* name;
        std::string bytes;
        bool good;
    } cases[] = {
        {"a.jpg", std::string("\xFF\xD8\xFF\xE0", 4) + "rest", true},
        {"a.gif", "GIF89a....", true},
        {"b.gif", "GIF87a....", true},
        {"a.png", std::string("\x89PNG\r\n\x1A\n", 8) + "rest", true},
        {"a.bmp", "BM......", true},
        {"text.jpg", "hello, picture", false},
        {"empty.bmp", "", false},
        {"a.ico", std::string("\0\0\1\0\1\0", 6), false},
        {"half.png", std::string("\x89PNG", 4), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(c.name);
        WriteWholeFile(path, c.bytes);
        const std::string problem = PictureFileProblem(path);
        if (c.good) {
            EXPECT_EQ(problem, "");
        } else {
            EXPECT_NE(problem.find("is not a picture the wallpaper page can show"), std::string::npos) << problem;
            EXPECT_NE(problem.find(path), std::string::npos) << problem;
        }
    }
}

}  // namespace

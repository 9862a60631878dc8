// The wallpaper model: every setting of one wallpaper project, the texts the
// page writes for them, the project file, the page writer and the movie copy.
//
// Fields are public: the main window reads them all, and the project loader
// and Clear assign some of them raw. A derived text changes only through its
// setter, so a raw assignment leaves it as it was until the setter runs again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TStream;
class TMemoryStream;

// Download base of the movie player named in the page's OBJECT tag
// (scheme and host, no trailing "/").
constexpr const char* PlayerDownloadBase = "http://download.example.com";

// The platform's wallpaper options record, kept here without its header:
// size (always 8) and style.
struct TWallPaperOpt {
    uint32_t dwSize;
    uint32_t dwStyle;
};

// A project file holds the section "Project"; anything else is not one.
bool IsProjectFile(const std::string& path);
// What loading the project file could not take as written: each missing key, value that
// is not a number or lies out of range, with what the model takes instead. Empty when
// every value was used as it stands.
std::vector<std::string> ProjectFileNotes(const std::string& path);

class TDriftpaneClass {
public:
    // Every field starts zero, false or empty; Clear is not called.
    TDriftpaneClass() = default;

    // --- settings, in their declared order
    std::string ProjectFile;
    bool Loop = false;
    int32_t BackgroundColor = 0;    // low byte red, then green, then blue
    uint8_t MovieHAligment = 0;     // 0 left, 1 centre, 2 right
    uint8_t MovieQuality = 0;       // 0..4
    uint8_t MovieSize = 0;          // scale mode 0..2
    uint8_t MovieVAligment = 0;     // 0 top, 1 centre, 2 bottom
    uint8_t WallPaperPosition = 0;  // 0 centre, 1 stretch, 2 tile
    std::string FlashFile;
    std::string WallPaperName;
    bool MuteFlashSound = false;
    std::string BackgroundPic;
    std::string SavedWallpaper;
    TWallPaperOpt SavedWallpaperOptions{};
    // derived texts
    std::string ColorText;
    std::string FlashFileName;
    std::string QualityText;
    std::string LoopText;
    std::string ScaleText;
    std::string PositionText;
    std::string PictureFileName;
    std::string RepeatText;
    std::string HAlignLetter;
    std::string VAlignLetter;
    // author
    std::string Email;
    std::string Website;
    std::string Author;
    // files of the running preview
    std::string PreviewFlashCopy;
    std::string PreviewPictureCopy;
    std::string PreviewPage;
    // where the movie sits: 0..10, 10 is the custom rectangle below
    uint8_t MoviePosition = 0;
    int32_t MovieLeft = 0;    // bare number in the page
    int32_t MovieTop = 0;     // bare number in the page
    int32_t MovieBottom = 0;  // height in percent
    int32_t MovieRight = 0;   // width in percent

    // --- setters
    void SetFlashFile(const std::string& path);
    void SetBackgroundPic(const std::string& path);
    void SetWallPaperName(const std::string& text);
    void SetBackgroundColor(int32_t color);
    void SetLoop(bool value);
    void SetMovieQuality(uint8_t value);
    void SetMovieSize(uint8_t value);
    void SetMovieHAligment(uint8_t value);
    void SetMovieVAligment(uint8_t value);
    void SetWallPaperPosition(uint8_t value);
    void SetMuteFlashSound(bool value);
    void SetMoviePosition(uint8_t value);
    void SetMovieLeft(int32_t value);
    void SetMovieTop(int32_t value);
    void SetMovieRight(int32_t value);
    void SetMovieBottom(int32_t value);
    void SetAuthor(const std::string& text);
    void SetEmail(const std::string& text);
    void SetWebsite(const std::string& text);

    // Start of a new project.
    void Clear();

    // --- project file (Windows: through TIniFile)
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path);
    // False, writing nothing, while the project was never saved or loaded.
    bool Save();

    // --- the wallpaper page, written to path (an existing file is replaced)
    void WriteHtmlPage(const std::string& path);
    // The page's lines, as WriteHtmlPage writes them (each followed by CR LF).
    std::string HtmlPageText() const;

    // --- movie and picture copies
    // The movie to target: muted when MuteFlashSound is set, else byte for byte.
    void CopySwf(const std::string& target);
    void CopyFileStream(const std::string& source, const std::string& target);
    // True when the source is no movie (nothing written). A movie that cannot
    // be rewritten safely raises an error naming the file and writes nothing.
    bool CopySwfMuted(const std::string& source, const std::string& target);
    void InflateSwfBody(int64_t count, TStream& source, TMemoryStream& target);

    // --- preview and activation (Windows: through Active Desktop)
    bool PublishPage(const std::string& pagePath, bool remember);
    void ApplyWallpaper(const std::string& pagePath);
    void SaveCurrentWallpaper();
    void RestoreWallpaper();
    void Preview();
    void Activate();
};

// The wallpaper model's desktop half: publishing the page with its copies,
// and putting it on the desktop through the Active Desktop object.
//
// The preview remembers only the copies it actually wrote (an empty path means
// "used in place"), so ending it never deletes a file the user chose, whatever
// the fields say by then.
#include "builder/WallPaperDesktop.h"

#include <windows.h>
#include <ole2.h>
#include <wininet.h>  // shlobj.h declares IActiveDesktop only after wininet.h
#include <shlobj.h>

#include <string>
#include <vector>

#include "builder/WallPaperClass.h"
#include "classlib/PathIdentity.h"
#include "classlib/SysUtils.h"
#include "classlib/WinSys.h"
#include "common/uCustomModule.h"

namespace {

const CLSID kClsidActiveDesktop = {0x75048700, 0xEF1F, 0x11D0, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};
const IID kIidActiveDesktop = {0xF490EB00, 0x1240, 0x11D1, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};

// AD_APPLY_ALL with AD_APPLY_FORCE.
constexpr DWORD kApplyAllForced = 15;

std::string SystemErrorText(HRESULT code) {
    char* buf = nullptr;
    const DWORD n =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&buf), 0, nullptr);
    std::string text = n && buf ? std::string(buf, n) : std::string();
    if (buf) LocalFree(buf);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.pop_back();
    return text;
}

// One Active Desktop object for one operation, released on every way out.
class TActiveDesktop {
public:
    TActiveDesktop() {
        void* p = nullptr;
        const HRESULT hr = CoCreateInstance(kClsidActiveDesktop, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                            kIidActiveDesktop, &p);
        if (FAILED(hr) || !p) {
            const std::string text = SystemErrorText(hr);
            throw EOleError(Format("The Active Desktop is not available: %s (0x%.8X)",
                                   text.empty() ? "unknown error" : text.c_str(), static_cast<unsigned>(hr)));
        }
        m_desk = static_cast<IActiveDesktop*>(p);
    }
    ~TActiveDesktop() { m_desk->Release(); }
    TActiveDesktop(const TActiveDesktop&) = delete;
    TActiveDesktop& operator=(const TActiveDesktop&) = delete;
    IActiveDesktop* operator->() const { return m_desk; }

private:
    IActiveDesktop* m_desk = nullptr;
};

// The path in the exchange buffer; CheckWallpaperPath has made sure it fits.
std::vector<wchar_t> WallpaperBuffer(const std::string& path) {
    CheckWallpaperPath(path);
    std::vector<wchar_t> buf(WallpaperPathBuffer, L'\0');
    const std::wstring wide = StringToWideString(path);
    wide.copy(buf.data(), wide.size());
    return buf;
}

[[noreturn]] void Refused(const char* method, const std::string& path, HRESULT hr) {
    const std::string text = SystemErrorText(hr);
    throw EOleError(
        Format("The desktop refused the wallpaper %s: %s failed with %s (0x%.8X). The wallpaper stays as it was.",
               path.empty() ? "(none)" : path.c_str(), method, text.empty() ? "an unknown error" : text.c_str(),
               static_cast<unsigned>(hr)));
}

// Makes the page (with these options; without, the desktop keeps its own) the
// wallpaper, or raises an error and leaves the desktop's setting as it was: a
// step it refused puts back what the earlier steps changed.
void PutOnDesktop(const std::string& path, const WALLPAPEROPT* options) {
    std::vector<wchar_t> buf = WallpaperBuffer(path);
    TActiveDesktop desk;
    std::vector<wchar_t> before(WallpaperPathBuffer, L'\0');
    WALLPAPEROPT beforeOptions{};
    beforeOptions.dwSize = sizeof(WALLPAPEROPT);
    // Without the setting before there is nothing to put back; the change is still tried.
    const bool known = SUCCEEDED(desk->GetWallpaper(before.data(), WallpaperPathBuffer, 0)) &&
                       SUCCEEDED(desk->GetWallpaperOptions(&beforeOptions, 0));
    before.back() = L'\0';
    auto putBack = [&] {
        if (!known) return;
        desk->SetWallpaper(before.data(), 0);
        desk->SetWallpaperOptions(&beforeOptions, 0);
    };
    HRESULT hr = desk->SetWallpaper(buf.data(), 0);
    if (FAILED(hr)) Refused("SetWallpaper", path, hr);
    hr = options ? desk->SetWallpaperOptions(options, 0) : S_OK;
    if (FAILED(hr)) {
        putBack();
        Refused("SetWallpaperOptions", path, hr);
    }
    hr = desk->ApplyChanges(kApplyAllForced);
    if (FAILED(hr)) {
        putBack();
        Refused("ApplyChanges", path, hr);
    }
}

// Deletes a file the preview wrote, unless it is (by now) one of the
// project's own sources.
void DeletePreviewFile(const TDriftpaneClass& m, const std::string& path) {
    if (path.empty() || SameFileName(path, m.FlashFile) || SameFileName(path, m.BackgroundPic)) return;
    DeleteFile(path);  // a file already gone is fine
}

}  // namespace

// ---------------------------------------------------------------------------
// Paths

bool WallpaperPathFits(const std::string& path) {
    return StringToWideString(path).size() < static_cast<size_t>(WallpaperPathBuffer);
}

void CheckWallpaperPath(const std::string& path) {
    if (!WallpaperPathFits(path))
        throw Exception(Format("The path %s is too long for the desktop wallpaper (at most %d characters).",
                               path.c_str(), WallpaperPathBuffer - 1));
}

std::string ActiveWallpaperPage(const std::string& windowsDir) {
    if (Trim(windowsDir).empty())
        throw Exception("The Windows folder could not be found, so the wallpaper cannot be written.");
    return IncludeTrailingPathDelimiter(windowsDir) + "Web\\Wallpaper\\Driftpane.htm";
}

std::string PreviewWallpaperPage() { return ExtractFilePath(GetModuleFileNameStr()) + "tmpPreview.htm"; }

// ---------------------------------------------------------------------------
// Publishing and the desktop

bool TDriftpaneClass::PublishPage(const std::string& pagePath, bool remember) {
    // The page must not take the place of what it shows.
    if (SameFileName(pagePath, FlashFile) || SameFileName(pagePath, BackgroundPic))
        throw EFCreateError(Format(SFCreateError, pagePath.c_str()));
    const std::string dir = ExtractFilePath(pagePath);

    if (remember) {
        PreviewFlashCopy.clear();
        PreviewPictureCopy.clear();
    }

    // A movie already in the folder is used in place, and then unmuted.
    const std::string movie = dir + ExtractFileName(FlashFile);
    if (!SameFileName(movie, FlashFile)) {
        bool made = true;
        if (MuteFlashSound)
            made = !CopySwfMuted(FlashFile, movie);  // no movie at all: nothing written
        else
            CopyFileStream(FlashFile, movie);
        if (remember && made) PreviewFlashCopy = movie;
    }

    if (FileExists(BackgroundPic)) {
        const std::string picture = dir + ExtractFileName(BackgroundPic);
        if (!SameFileName(picture, BackgroundPic)) {
            CopyFileStream(BackgroundPic, picture);
            if (remember) PreviewPictureCopy = picture;
        }
    }

    if (remember) PreviewPage = pagePath;
    WriteHtmlPage(pagePath);
    return true;
}

void TDriftpaneClass::ApplyWallpaper(const std::string& pagePath) {
    WALLPAPEROPT options{};
    options.dwSize = sizeof(WALLPAPEROPT);
    options.dwStyle = WallPaperPosition;  // passed as it is, not as the platform's style names
    // No position chosen (255) is no style: the desktop would refuse it, so it keeps its own.
    PutOnDesktop(pagePath, WallPaperPosition <= 2 ? &options : nullptr);
}

void TDriftpaneClass::SaveCurrentWallpaper() {
    if (!SavedWallpaper.empty()) return;
    TActiveDesktop desk;
    std::vector<wchar_t> buf(WallpaperPathBuffer, L'\0');
    const HRESULT hr = desk->GetWallpaper(buf.data(), WallpaperPathBuffer, 0);
    // Without the old wallpaper a preview could never be undone.
    if (FAILED(hr))
        throw EOleError(
            Format("The current wallpaper cannot be read (0x%.8X), so it could not be put back after a preview.",
                   static_cast<unsigned>(hr)));
    buf.back() = L'\0';
    const std::string current = WideCharToString(buf.data());
    // Our own preview page is never the wallpaper to go back to.
    if (!PreviewPage.empty() && SameFileName(current, PreviewPage)) return;
    WALLPAPEROPT options{};
    options.dwSize = sizeof(WALLPAPEROPT);
    desk->GetWallpaperOptions(&options, 0);
    SavedWallpaper = current;
    SavedWallpaperOptions.dwSize = options.dwSize;
    SavedWallpaperOptions.dwStyle = options.dwStyle;
}

void TDriftpaneClass::RestoreWallpaper() {
    // Only a preview that wrote its page has anything to undo.
    if (PreviewPage.empty()) return;
    WALLPAPEROPT options{};
    options.dwSize = SavedWallpaperOptions.dwSize;
    options.dwStyle = SavedWallpaperOptions.dwStyle;
    // Refused: the preview still shows, so its files stay and a later restore may try again.
    PutOnDesktop(SavedWallpaper, &options);
    DeletePreviewFile(*this, PreviewPage);
    DeletePreviewFile(*this, PreviewFlashCopy);
    DeletePreviewFile(*this, PreviewPictureCopy);
    // The preview is over: a second restore must not delete files written since.
    PreviewPage.clear();
    PreviewFlashCopy.clear();
    PreviewPictureCopy.clear();
}

void TDriftpaneClass::Preview() {
    const std::string page = PreviewWallpaperPage();
    CheckWallpaperPath(page);
    SaveCurrentWallpaper();
    const std::string oldPage = PreviewPage, oldMovie = PreviewFlashCopy, oldPicture = PreviewPictureCopy;
    try {
        PublishPage(page, true);
        ApplyWallpaper(page);
    } catch (...) {
        // The desktop still shows what it showed: take back what this attempt
        // wrote, except files an earlier, still running preview shows.
        auto mine = [&](const std::string& path) {
            return !path.empty() && !SameFileName(path, oldPage) && !SameFileName(path, oldMovie) &&
                   !SameFileName(path, oldPicture);
        };
        if (mine(PreviewFlashCopy)) DeletePreviewFile(*this, PreviewFlashCopy);
        if (mine(PreviewPictureCopy)) DeletePreviewFile(*this, PreviewPictureCopy);
        if (PreviewPage == page && mine(page)) DeletePreviewFile(*this, page);
        PreviewPage = oldPage;
        PreviewFlashCopy = oldMovie;
        PreviewPictureCopy = oldPicture;
        throw;
    }
}

void TDriftpaneClass::Activate() {
    const std::string page = ActiveWallpaperPage(GetWindowsDir());
    CheckWallpaperPath(page);
    PublishPage(page, false);
    ApplyWallpaper(page);
}

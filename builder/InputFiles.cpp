#include "builder/InputFiles.h"

#include <cstring>

#include "builder/SwfMute.h"
#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

std::string MovieFileProblem(const std::string& path) {
    try {
        TFileStream file(path, fmOpenRead | fmShareDenyWrite);
        if (!ReadSwfHeader(file, path).movie)
            return Format("The file %s is not a Flash movie: it does not begin with FWS or CWS.", path.c_str());
    } catch (const ESwfError& e) {
        return e.Message();
    } catch (const Exception& e) {
        return Format("The movie %s cannot be read: %s", path.c_str(), e.Message().c_str());
    }
    return {};
}

std::string PictureFileProblem(const std::string& path) {
    uint8_t head[8] = {};
    int64_t got = 0;
    try {
        TFileStream file(path, fmOpenRead | fmShareDenyWrite);
        got = file.Read(head, sizeof head);
    } catch (const Exception& e) {
        return Format("The picture %s cannot be read: %s", path.c_str(), e.Message().c_str());
    }
    auto starts = [&](const char* sig, size_t n) { return got >= int64_t(n) && std::memcmp(head, sig, n) == 0; };
    if (starts("\xFF\xD8\xFF", 3) || starts("GIF87a", 6) || starts("GIF89a", 6) || starts("\x89PNG\r\n\x1A\n", 8) ||
        starts("BM", 2))
        return {};
    return Format("The file %s is not a picture the wallpaper page can show: it is no JPEG, GIF, PNG or BMP file.",
                  path.c_str());
}

#include "setup/NameFit.h"

#include <vector>

namespace {
constexpr const char* kEllipsis = "...";
}  // namespace

bool TextFits(HFONT font, UINT flags, int width, int height, const std::string& text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, width, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, flags | DT_NOPREFIX | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    // A word longer than the line is not broken: it sticks out to the right.
    return r.right <= width && r.bottom <= height;
}

std::string FitName(HFONT font, UINT flags, int width, int height, const std::string& before, const std::string& name,
                    const std::string& after) {
    if (TextFits(font, flags, width, height, before + name + after)) return before + name + after;
    // Where the name may be cut: between characters, never inside a double-byte one.
    std::vector<size_t> cuts{0};
    for (const char* p = name.c_str(); *p;) {
        p = CharNextA(p);
        cuts.push_back(static_cast<size_t>(p - name.c_str()));
    }
    cuts.pop_back();  // the whole name did not fit
    auto text = [&](size_t i) {
        std::string start = name.substr(0, cuts[i]);
        // No blank before the ellipsis.
        while (!start.empty() && start.back() == ' ') start.pop_back();
        return before + start + kEllipsis + after;
    };
    // The longest start that fits; its text only grows with the start.
    size_t lo = 0, hi = cuts.size();
    while (hi - lo > 1) {
        const size_t mid = lo + (hi - lo) / 2;
        if (TextFits(font, flags, width, height, text(mid)))
            lo = mid;
        else
            hi = mid;
    }
    return text(lo);
}

std::string FitPath(HFONT font, int width, int height, const std::string& text) {
    if (TextFits(font, 0, width, height, text)) return text;
    // The last real backslash: in a double-byte code page a trail byte can have its value.
    size_t slash = std::string::npos;
    for (const char* p = text.c_str(); *p; p = CharNextA(p))
        if (*p == '\\') slash = static_cast<size_t>(p - text.c_str());
    if (slash != std::string::npos) {
        std::string got = FitName(font, 0, width, height, "", text.substr(0, slash), text.substr(slash));
        if (TextFits(font, 0, width, height, got)) return got;
    }
    return FitName(font, 0, width, height, "", text, "");
}

// How the driver compares what a person reads on screen with what a test asks for.
#pragma once

#include <string>

namespace dptest {

// "&Save && close" -> "Save & close": the text without its mnemonic markers.
inline std::string StripAmpersands(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&') {
            if (i + 1 < s.size() && s[i + 1] == '&')
                out += '&';
            else
                continue;
            ++i;
            continue;
        }
        out += s[i];
    }
    return out;
}

// As written in the program ("&Save && close") or as a person reads it ("Save & close").
inline bool TextMatches(const std::string& actual, const std::string& wanted) {
    return actual == wanted || StripAmpersands(actual) == wanted;
}

// A menu caption "&Save\tCtrl+S" also matches without its shortcut part.
inline bool MenuTextMatches(const std::string& caption, const std::string& wanted) {
    if (TextMatches(caption, wanted)) return true;
    size_t tab = caption.find('\t');
    return tab != std::string::npos && TextMatches(caption.substr(0, tab), wanted);
}

}  // namespace dptest

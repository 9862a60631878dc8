// Texts that carry the program name, laid out for the box they are shown in:
// a name of any length the package allows stays readable.
#pragma once

#include <windows.h>

#include <string>

// before + name + after as it fits a box of width x height in the font, drawn
// with flags (DT_WORDBREAK to wrap; DT_NOPREFIX is added): the whole name where
// it fits, else the longest start of it that fits, followed by "...". The rest
// of the text always stays whole.
std::string FitName(HFONT font, UINT flags, int width, int height, const std::string& before, const std::string& name,
                    const std::string& after);
// Whether the text fits that box, drawn so.
bool TextFits(HFONT font, UINT flags, int width, int height, const std::string& text);
// A one-line text that names a path, for a box of width x height: whole where it
// fits, else the part before the last backslash cut short with "..." so that the
// file name after it stays; a file name too long even so is cut at its end.
std::string FitPath(HFONT font, int width, int height, const std::string& text);

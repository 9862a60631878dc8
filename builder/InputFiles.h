// What is wrong with a file the user chose as the movie or the background picture, told
// before anything is written from it; empty when the file can be used.
#pragma once

#include <string>

// A movie begins with "FWS" or "CWS" and holds what its header claims.
std::string MovieFileProblem(const std::string& path);
// The page shows JPEG, GIF, PNG and BMP pictures, known by their first bytes.
std::string PictureFileProblem(const std::string& path);

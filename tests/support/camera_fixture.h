// A camera folder for the command tests: pictures of several sizes and
// orientations with EXIF data and thumbnails, a short movie, a sound and a
// text file, and the comparison of the files two albums hold.
#pragma once

#include <map>
#include <string>

#include "tests/support/test_util.h"

namespace pictora {

// Writes the folder: P0000001.JPG 1600x1200 with orientation 6 and an
// embedded thumbnail, P0000002.JPG 1200x900, P0000003.JPG 640x480,
// P0000004.JPG 2000x1000 with orientation 8, CLIP0001.MOV (320x240, one
// second), VOICE001.WAV and README.TXT.
void write_camera_folder(const std::string& dir);

// Every regular file below dir (links followed) by its path relative to dir,
// with its bytes; generated pages (".html") and temporary files left by an
// interrupted run are not included.
std::map<std::string, std::string> album_files(const std::string& dir);

}  // namespace pictora

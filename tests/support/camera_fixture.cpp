#include "tests/support/camera_fixture.h"

#include <filesystem>
#include <regex>

#include "tests/support/exif_writer.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/make_movie.h"

namespace pictora {

namespace {

void write_picture(const std::string& path, unsigned width, unsigned height, uint16_t orientation,
                   unsigned seed) {
  testutil::camera_settings settings;
  settings.orientation = orientation;
  settings.thumbnail = testutil::make_jpeg({160, 120});
  testutil::jpeg_options o(width, height);
  o.app1 = testutil::camera_exif(settings).app1_payload();
  o.seed = seed;
  testutil::write_jpeg(path, o);
}

}  // namespace

void write_camera_folder(const std::string& dir) {
  testutil::make_dirs(dir);
  write_picture(dir + "/P0000001.JPG", 1600, 1200, 6, 1);
  write_picture(dir + "/P0000002.JPG", 1200, 900, 1, 2);
  write_picture(dir + "/P0000003.JPG", 640, 480, 1, 3);
  write_picture(dir + "/P0000004.JPG", 2000, 1000, 8, 4);
  testutil::write_movie(dir + "/CLIP0001.MOV", testutil::movie_options(320, 240));
  testutil::write_sound(dir + "/VOICE001.WAV");
  testutil::write_file(dir + "/README.TXT", "notes\r\n");
}

std::map<std::string, std::string> album_files(const std::string& dir) {
  namespace fs = std::filesystem;
  static const std::regex temporary(R"(\.tmp[0-9]+-)");
  std::map<std::string, std::string> files;
  for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator(); ++it) {
    if (!fs::is_regular_file(it->path())) continue;  // follows links
    const std::string relative = fs::relative(it->path(), dir).string();
    if (it->path().extension() == ".html" || std::regex_search(relative, temporary)) continue;
    files[relative] = testutil::read_file(it->path().string());
  }
  return files;
}

}  // namespace pictora

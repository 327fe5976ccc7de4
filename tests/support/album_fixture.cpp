#include "tests/support/album_fixture.h"

#include <sys/stat.h>

#include <sstream>

#include "app/exif.h"
#include "tests/support/exif_writer.h"
#include "tests/support/make_jpeg.h"

namespace testutil {

album_fixture::album_fixture() : album_{base_.path(), "book", "album"} {
  for (const char* dir : {"original", "thumb", "txt"}) make_dirs(path(dir));
}

std::string album_fixture::path(const std::string& relative) const {
  std::string dir;
  album_.make(dir);
  return dir + "/" + relative;
}

void album_fixture::add_picture(const std::string& name, unsigned width, unsigned height, unsigned levels,
                                bool with_exif) {
  jpeg_options o(width, height);
  if (with_exif) o.app1 = camera_exif({}).app1_payload();
  write_jpeg(path("original/" + name), o);
  for (unsigned k = 0; k <= levels + 2; ++k) {
    const std::string dir = k == levels + 2 ? "thumb" : "size" + std::to_string(k);
    make_dirs(path(dir));
    write_jpeg(path(dir + "/" + name), jpeg_options(width >> k, height >> k));
  }
}

void album_fixture::add_thumbnail_only(const std::string& name) {
  write_jpeg(path("thumb/" + name), jpeg_options(16, 12));
}

bool album_fixture::add_movie(const std::string& name, unsigned width, unsigned height, unsigned levels) {
  auto make = [](const std::string& file, unsigned w, unsigned h) {
    const std::string source = "testsrc=size=" + std::to_string(w) + "x" + std::to_string(h) + ":rate=5";
    return run_program({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", source, "-t", "1", "-c:v",
                        "mpeg4", "-pix_fmt", "yuv420p", file},
                       nullptr, nullptr) == 0;
  };
  if (!make(path("original/" + name), width, height)) return false;
  const std::string stem = name.substr(0, name.rfind('.'));
  for (unsigned k = 0; k <= levels + 1; ++k) {
    const std::string dir = "movie" + std::to_string(k);
    make_dirs(path(dir));
    if (!make(path(dir + "/" + stem + ".mp4"), width >> k, height >> k)) return false;
    write_jpeg(path(dir + "/" + stem + ".jpg"), jpeg_options(width >> k, height >> k));
  }
  return true;
}

void album_fixture::add_sound(const std::string& name) { add_file("original/" + name, "RIFF....WAVE"); }

void album_fixture::add_file(const std::string& relative, const std::string& bytes) {
  write_file(path(relative), bytes);
}

std::string album_fixture::expand(const std::string& text, const std::string& info) const {
  std::string out;
  size_t at = 0;
  for (size_t open; (open = text.find('{', at)) != std::string::npos;) {
    const size_t close = text.find('}', open);
    const std::string key = text.substr(open + 1, close - open - 1);
    out += text.substr(at, open - at);
    if (key == "T") {
      out += "<table align=left border=5><td>";
    } else if (key == "/T") {
      out += "</table>";
    } else if (key == "info") {
      out += info;
    } else if (key.compare(0, 3, "kb:") == 0) {
      struct stat st;
      out += ::stat(path(key.substr(3)).c_str(), &st) == 0 ? std::to_string((st.st_size + 1023) / 1024)
                                                           : "missing";
    } else if (key.compare(0, 8, "caption:") == 0) {
      std::ostringstream os;
      pictora::writeexif(os, album_, "original", key.substr(8), true);
      out += os.str();
    } else {
      out += "{" + key + "}";
    }
    at = close + 1;
  }
  return out + text.substr(at);
}

void album_fixture::set_list(const std::string& list, const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += name + "\r\n";
  add_file("txt/" + list, text);
}

void album_fixture::set_album_comment(const std::string& title, const std::string& head,
                                      const std::string& last) {
  add_file("txt/head.txt", title + "\r\n" + title + "\r\n" + head);
  add_file("txt/last.txt", last);
}

void album_fixture::set_comment(const std::string& stem, const std::string& text) {
  add_file("txt/" + stem + ".txt", text);
}

}  // namespace testutil

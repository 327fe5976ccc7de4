#include "app/shrink.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "app/global.h"
#include "app/movie.h"
#include "app/progress.h"
#include "libgr/imageutil.h"
#include "libgr/jpeg_marker.h"
#include "libgr/loader_jpeg.h"
#include "libgr/transform.h"
#include "libutils/common.h"
#include "libutils/dirutil.h"
#include "libutils/futil.h"
#include "libutils/platform_posix.h"

namespace pictora {
namespace {

using markers_t = std::vector<libgr::marker_t>;

void report(std::ostream& os, const std::string& path, const char* text) {
  libutils::error();
  os << path << text << std::endl;
}

// Halvings until (w, h) fits the shrink_size box.
std::uint64_t fitlevel(std::uint64_t w, std::uint64_t h) {
  std::uint64_t L = 0;
  while (w > g_global.shrink_size.x || h > g_global.shrink_size.y) {
    w >>= 1;
    h >>= 1;
    ++L;
  }
  return L;
}

// Turns image in place by `count` quarter turns.
bool rotate_in_place(libgr::image2d_t& image, unsigned long long count, const std::string& file) {
  if (count == 0) return true;
  libgr::image2d_t turned;
  if (!libgr::rotate(count, turned, image)) {
    report(std::cerr, file, ": rotate() fail.");
    return false;
  }
  image = turned;
  return true;
}

bool halve(libgr::image2d_t& image) {
  libgr::image2d_t half;
  if (!libgr::scaledown(half, image)) return false;
  image = half;
  return true;
}

// Number of bits up to the highest set one; 0 for 0 and below.
int bitlength(int value) {
  int bits = 0;
  for (unsigned v = value > 0 ? static_cast<unsigned>(value) : 0; v != 0; v >>= 1) ++bits;
  return bits;
}

// Writes the embedded thumbnail's bytes to target, turned `turns` quarter
// turns. The turn is made in memory before the one write, rather than on the
// written file, so that an interrupted run never leaves an unturned
// thumbnail that looks current. A thumbnail that cannot be turned is
// reported and written as it is: it still shows the picture.
bool save_exif_thumbnail(const std::string& target, const picture_exif_t& exif,
                         unsigned long long turns, std::ostream& log) {
  libgr::bytes_t bytes = exif.app1.tiff_header.thumbnail;
  libgr::jpegdata_t data;
  data.setvector(bytes, target.c_str());
  libgr::jpegdata_t turned;
  if (turns != 0) {
    if (libgr::transform(turns, turned, data))
      data = turned;
    else
      report(std::cerr, target, ": transform() fail.");
  }
  std::remove(target.c_str());
  if (!data.save(target.c_str())) {
    const int err = errno;
    libutils::error();
    log << target << ": thumbnail save fail, " << std::strerror(err) << std::endl;
    return false;
  }
  return true;
}

}  // namespace

bool ispicture(const std::string& name) {
  return libutils::extcasecmp(name, ".jpg") == 0 || libutils::extcasecmp(name, ".jpeg") == 0;
}

std::vector<std::string> picture_levels(std::uint64_t L) {
  std::vector<std::string> levels;
  for (std::uint64_t k = 0; k <= L + 1; ++k) levels.push_back("size" + std::to_string(k));
  levels.push_back("thumb");
  return levels;
}

void make_album_dir(const path_t& album, const std::string& dir) {
  std::string path;
  album.make(path, dir);
  libutils::platform::make_directory(path.c_str());  // an existing one is fine
}

std::string size0_linktarget(const std::string& name) {
  return std::string("..") + path_separator + "original" + path_separator + name;
}

picture_exif_t::picture_exif_t(const libgr::jpeginfo_t& info) {
  libgr::bytes_t payload = info.get_marker(libgr::e_marker_app1);
  if (payload.empty()) return;
  app1.set_app1_buffer(payload);
  parsed = app1.parse();
}

bool picture_exif_t::has_thumbnail() const {
  return parsed && !app1.tiff_header.thumbnail.empty();
}

unsigned long long picture_exif_t::upright(unsigned long long count) const {
  const auto& orientation = app1.tiff_header.tag_0th_ifd.Orientation;
  if (!parsed || orientation.empty()) return count;
  return libgr::mixorientandrightrotatecount(count, orientation[0]);
}

// The markers are kept in the codec's own record type, a vector of
// libgr::marker_t, which is what the codec reads and compress() writes.
bool savejpeg(const std::string& file, libgr::image2d_t& image, markers_t& markers) {
  libgr::jpeginfo_t info;
  info.markers = markers;
  libgr::jpegdata_t out;
  // A strip only a few pixels wide halves down to nothing; libjpeg cannot
  // encode an empty picture, so that level fails like any encoding would.
  if (image.width == 0 || image.height == 0 ||
      !info.compress(out, image, static_cast<int>(g_global.jpeg_compress), true)) {
    report(std::cerr, file, ": svjinfo compress() fail.");
    return false;
  }
  std::remove(file.c_str());
  if (!out.save(file.c_str())) {
    report(std::cerr, file, "svjdata save() fail.");
    return false;
  }
  return true;
}

bool writelevels(const path_t& album, const std::vector<std::string>& levels,
                 const std::string& name, std::uint64_t L, std::uint64_t first, bool rewrite,
                 libgr::image2d_t& image, markers_t& markers, std::ostream& log) {
  std::string orig;
  album.make(orig, "original", name);
  for (std::uint64_t k = 0; k < first; ++k) {
    if (!halve(image)) {
      report(log, name, ": scaledown() fail.");
      return false;
    }
  }
  for (std::uint64_t k = first; k <= L + 1; ++k) {
    make_album_dir(album, levels[k]);
    std::string target;
    album.make(target, levels[k], name);
    if ((rewrite || libutils::need_update(orig, target)) && !savejpeg(target, image, markers)) {
      report(log, target, ": savejpeg fail.");
      return false;
    }
    // Halved whether or not the level was rewritten, so that level k always
    // holds the picture halved k times.
    if (!halve(image)) {
      report(log, name, ": scaledown() fail.");
      return false;
    }
  }
  return true;
}

bool writethumbnail(const std::string& target, const picture_exif_t& exif,
                    unsigned long long turns, libgr::image2d_t& image, std::ostream& log) {
  if (exif.has_thumbnail()) return save_exif_thumbnail(target, exif, turns, log);
  markers_t none;
  if (!savejpeg(target, image, none)) {
    report(log, target, ": savejpeg fail.");
    return false;
  }
  return true;
}

std::uint64_t getshrinklevel(const std::string& jpegfile) {
  libgr::jpegdata_t data;
  if (!data.load(jpegfile.c_str())) {
    report(std::cerr, jpegfile, ": getshrinklevel() jpegdata load fail.");
    return 0;
  }
  libgr::jpeginfo_t info;
  if (!info.analyze_markers(data)) {
    report(std::cerr, jpegfile, ": getshrinklevel() analyze_markers fail.");
    return 0;
  }
  return fitlevel(info.width, info.height);
}

std::uint64_t getshrinklevel(const path_t& album, const std::string& name) {
  std::string file;
  album.make(file, "original", name);
  return getshrinklevel(file);
}

bool shrinkone(const path_t& album, std::vector<std::string>& levels, const std::string& name,
               std::uint64_t L, std::uint64_t rotation, std::ostream& log) {
  std::string orig;
  album.make(orig, "original", name);
  libgr::jpegdata_t data;
  if (!data.load(orig.c_str())) {
    report(log, name, ": shrinkone() original jpegdata load fail.");
    return false;
  }
  libgr::jpeginfo_t info;
  if (!info.analyze_markers(data)) {
    report(log, name, ": shrinkone() original analyze_markers fail.");
    return false;
  }
  const picture_exif_t exif(info);
  const unsigned long long turns = exif.upright(rotation);

  // Full size: without a turn "size0" stands for the original itself and the
  // EXIF orientation stays in charge; with one it is the lossless turn.
  std::string s0;
  album.make(s0, levels[0], name);
  if (rotation == 0) {
    if (!copyjpeg(orig, s0, size0_linktarget(name))) {
      report(log, name, ": shrinkone() copyjpeg fail.");
      return false;
    }
  } else {
    if (!rotatejpeg(orig, s0, turns)) {
      report(log, name, ": shrinkone() rotatejpeg fail.");
      return false;
    }
    if (!data.load(s0.c_str())) {
      report(log, name, ": shrinkone() jpegdata load fail.");
      return false;
    }
  }

  // The one decode of the picture; every level below comes from halving.
  libgr::image2d_t image;
  libgr::jpeginfo_t pixels;
  if (!pixels.decompress(image, data, 0, false, libgr::color3ub_t())) {
    report(log, name, ": shrinkone() decompress fail.");
    return false;
  }
  // A turned picture has lost its EXIF block, whose orientation would now
  // be wrong, so its levels carry no markers.
  markers_t markers;
  if (rotation == 0) markers = pixels.markers;

  if (!writelevels(album, levels, name, L, 1, false, image, markers, log)) return false;

  std::string thumb;
  album.make(thumb, levels[L + 2], name);
  if (!libutils::need_update(orig, thumb)) return true;
  return writethumbnail(thumb, exif, turns, image, log);
}

bool shrink(const path_t& album, const std::vector<files_t>& files,
            sigc::signal<void, double>& progress, std::ostream& log) {
  make_album_dir(album, "thumb");
  const size_t n = files.size();
  for (size_t i = 0; i < n; ++i) {
    const files_t& file = files[i];
    if (ispicture(file.name)) {
      const std::uint64_t L = getshrinklevel(album, file.name);
      std::vector<std::string> levels = picture_levels(L);
      for (std::uint64_t k = 0; k <= L + 1; ++k) make_album_dir(album, levels[k]);
      if (!shrinkone(album, levels, file.name, L, file.rotation, log)) {
        libutils::error();
        log << "shinkone() fail." << std::endl;
        return false;
      }
    } else if (ismovie(file.name)) {
      if (!shrinkmovie(album, file.name, log)) return false;
    }
    emit_progress(progress, i + 1, n, file.name);
  }
  return true;
}

bool load_jpeg(libgr::image2d_t& image, const std::string& file) {
  if (!ispicture(file)) return false;
  libgr::jpegdata_t data;
  if (!data.load(file.c_str())) {
    report(std::cerr, file, ": load_jpeg() jpegdata load fail.");
    return false;
  }
  libgr::jpeginfo_t info;
  if (!info.decompress(image, data, 0, false, libgr::color3ub_t())) {
    report(std::cerr, file, ": load_jpeg() decompress fail.");
    return false;
  }
  return rotate_in_place(image, picture_exif_t(info).upright(0), file);
}

bool load_size_jpeg(libgr::image2d_t& image, const path_t& album, const std::string& dir,
                    const std::string& name) {
  std::string file;
  album.make(file, dir, name);
  return load_jpeg(image, file);
}

bool load_thumbnail(libgr::image2d_t& image, const std::string& file) {
  if (!ispicture(file)) return false;
  libgr::jpegdata_t data;
  if (!data.load(file.c_str())) {
    report(std::cerr, file, ": load_thumbnail() jpegdata load fail.");
    return false;
  }
  libgr::jpeginfo_t info;
  if (!info.analyze_markers(data)) {
    report(std::cerr, file, ": load_thumbnail() jpeginfo analyze_markers fail.");
    return false;
  }
  const picture_exif_t exif(info);
  if (exif.has_thumbnail()) {
    libgr::bytes_t bytes = exif.app1.tiff_header.thumbnail;
    libgr::jpegdata_t thumbnail;
    thumbnail.setvector(bytes, file.c_str());
    libgr::jpeginfo_t thumbinfo;
    if (!thumbinfo.decompress(image, thumbnail, 0, false, libgr::color3ub_t())) {
      report(std::cerr, file, ": thumbnail decompress() fail.");
      return false;
    }
    return rotate_in_place(image, exif.upright(0), file);
  }
  if (!info.decompress(image, data, 0, false, libgr::color3ub_t())) {
    report(std::cerr, file, ": original decompress() fail.");
    return false;
  }
  const std::uint64_t max_w = g_global.shrink_size.x / 4;
  const std::uint64_t max_h = g_global.shrink_size.y / 4;
  while (image.width > max_w || image.height > max_h) {
    if (!halve(image)) {
      report(std::cerr, file, ": scaledown() fail.");
      return false;
    }
  }
  return true;
}

bool load_exifthumbnail_or_thumbdir(libgr::image2d_t& image, const path_t& album,
                                    const std::string& name) {
  std::string file;
  album.make(file, "thumb", name);
  if (is_exist(file)) return load_jpeg(image, file);
  album.make(file, "size0", name);
  if (!is_exist(file)) album.make(file, "original", name);
  return load_thumbnail(image, file);
}

bool load_scaled_thumbnail(libgr::image2d_t& image, const path_t& album, const std::string& name,
                           int scale_factor) {
  const std::uint64_t L = getshrinklevel(album, name);
  const std::vector<std::string> levels = picture_levels(L);
  // A larger scale factor or show_level picks a larger level (a smaller
  // index). The index is kept inside the list: a scale factor of 0 with
  // show_level 0 would otherwise point one past "thumb".
  const std::uint64_t step = static_cast<std::uint64_t>(bitlength(scale_factor)) + g_global.show_level;
  std::uint64_t index = levels.size() > step ? levels.size() - step : 0;
  if (index >= levels.size()) index = levels.size() - 1;
  if (!load_size_jpeg(image, album, levels[index], name))
    load_exifthumbnail_or_thumbdir(image, album, name);
  libgr::image2d_t rgb;
  if (libgr::grayscale2rgb(rgb, image)) image = rgb;
  return true;
}

}  // namespace pictora

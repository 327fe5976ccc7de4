#include "app/shrink.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include "app/location.h"
#include "app/movie.h"
#include "libgr/imageutil.h"
#include "libgr/jpeg_marker.h"
#include "libgr/loader_heif.h"
#include "libgr/loader_jpeg.h"
#include "libgr/transform.h"
#include "libutils/common.h"
#include "libutils/dirutil.h"
#include "libutils/futil.h"
#include "libutils/alloc_mmap_win.h"
#include "libutils/jobs.h"
#include "libutils/platform_posix.h"

namespace pictora {
namespace {

using markers_t = std::vector<libgr::marker_t>;

// Turns image in place by `count` quarter turns.
bool rotate_in_place(libgr::image2d_t& image, unsigned long long count, const std::string& file,
                     libutils::report_log_t& log) {
  if (count == 0) return true;
  libgr::image2d_t turned;
  if (!libgr::rotate(count, turned, image))
    return libutils::fail(log, file, ": cannot be turned upright", 0, "rotate() fail.");
  image = turned;
  return true;
}

// Why a read of picture failed, in plain words: the codec's reason, else
// what the reader made of its segments.
std::string reason_of(const libgr::jpeg_issues_t& issues) {
  return issues.reason.empty() ? "not a JPEG picture" : issues.reason;
}

// A picture that cannot be had: reported once, with the reason and the
// design's report as the detail.
bool left_out(libutils::report_log_t& log, const std::string& orig, const std::string& reason, const char* detail,
              const libgr::jpeg_issues_t& issues) {
  const std::string more = issues.detail();
  return libutils::fail(log, orig, ": " + reason + ", left out of the album", 0,
                        std::string(detail + 2) + (more.empty() ? "" : " " + more));
}

// Creates album.make(dir); an existing directory is fine.
void make_album_dir(const path_t& album, const std::string& dir) {
  std::string path;
  album.make(path, dir);
  libutils::platform::make_directory(path.c_str());  // an existing one is fine
}

// Where a "size0" link points to reach original/name: "../original/name".
std::string size0_linktarget(const std::string& name) {
  return std::string("..") + path_separator + "original" + path_separator + name;
}

// The EXIF block of a picture whose markers have been read. Its thumbnail
// window shares the marker's bytes, so it stays valid after the file goes.
struct picture_exif_t {
  libgr::app1_marker_t app1;
  bool parsed = false;

  // A block that cannot be read is reported as a warning naming file: the
  // picture is built all the same, as if it had none.
  picture_exif_t(const libgr::jpeginfo_t& info, const std::string& file, libutils::report_log_t& log) {
    libgr::bytes_t payload = info.get_exif();
    if (payload.empty()) return;
    app1.set_app1_buffer(payload);
    parsed = app1.parse();
    if (!parsed) {
      std::string detail;
      for (const std::string& complaint : app1.tiff_header.complaints) detail += (detail.empty() ? "" : "; ") + complaint;
      libutils::warn(log, file, ": its EXIF block cannot be read; taken as if it had none", 0, detail);
    }
  }
  bool has_thumbnail() const { return parsed && !app1.tiff_header.thumbnail.empty(); }
  // The quarter turns that show the picture upright after the user's
  // `count`; `count` itself when the block carries no orientation.
  unsigned long long upright(unsigned long long count) const {
    const auto& orientation = app1.tiff_header.tag_0th_ifd.Orientation;
    if (!parsed || orientation.empty()) return count;
    return libgr::mixorientandrightrotatecount(count, orientation[0]);
  }
};

// Encodes image with `markers` at the quality of the settings and writes it
// to file under a temporary name renamed into place, replacing a link there
// rather than writing through it. The markers are kept in the codec's own
// record type, a vector of libgr::marker_t, which is what the codec reads
// and compress() writes.
bool savejpeg(const build_context_t& ctx, const std::string& file, libgr::image2d_t& image, markers_t& markers,
              libutils::report_log_t& log) {
  libgr::jpeginfo_t info;
  info.markers = markers;
  libgr::jpegdata_t out;
  if (!info.compress(out, image, static_cast<int>(ctx.settings.jpeg_compress), true))
    return libutils::fail(log, file, ": cannot be encoded", 0, "svjinfo compress() fail.");
  std::remove(file.c_str());
  if (!out.save(file.c_str())) return libutils::fail(log, file, ": cannot be written", errno, "svjdata save() fail.");
  return true;
}

// Writes the embedded thumbnail's bytes to target, turned `turns` quarter
// turns. The turn is made in memory before the one write, rather than on the
// written file, so that an interrupted run never leaves an unturned
// thumbnail that looks current. A thumbnail that cannot be turned is
// reported and written as it is: it still shows the picture.
bool save_exif_thumbnail(const build_context_t& ctx, const std::string& target, const picture_exif_t& exif,
                         unsigned long long turns, libutils::report_log_t& log) {
  libgr::bytes_t bytes = exif.app1.tiff_header.thumbnail;
  libgr::jpegdata_t data;
  data.setvector(bytes, target.c_str());
  libgr::jpegdata_t turned;
  libgr::jpeg_issues_t issues;
  if (turns != 0) {
    if (libgr::transform(turns, turned, data, ctx.settings.max_pixels, issues))
      data = turned;
    else
      libutils::warn(log, target, ": the camera's thumbnail cannot be turned upright; kept as it is", 0,
                     "transform() fail. " + issues.detail());
  }
  std::remove(target.c_str());
  if (!data.save(target.c_str())) return libutils::fail(log, target, ": cannot be written", errno, "thumbnail save fail.");
  // An embedded thumbnail seldom carries segments of its own (a turned one
  // never does); when it does, they may hold the location too.
  if (!ctx.settings.keep_location && file_holds_location(target)) return copy_without_location(target, target, log);
  return true;
}

// Makes "size0" of the unturned picture orig, whose segments are read into
// info: the link to the original, or, when the original holds the location
// and the web copies must not, a copy of it without the location (the same
// picture data, not encoded again).
bool web_full_size(const build_context_t& ctx, const std::string& orig, const std::string& s0,
                   const libgr::jpeginfo_t& info, const std::string& name, libutils::report_log_t& log) {
  if (!ctx.settings.keep_location && holds_location(info.markers)) return copy_without_location(orig, s0, log);
  return copyjpeg(orig, s0, size0_linktarget(name), log);
}

// The level files of an unturned picture that still hold its location where
// the web copies must not (made before the setting, or by an older
// version): they are removed, so that the update makes them all again. A
// turned "size0" never holds it (the turn keeps no segment), so a picture
// the user turned is never made again unturned here.
void forget_levels_with_location(const build_context_t& ctx, const path_t& album,
                                 const std::vector<std::string>& levels, const std::string& name) {
  std::string s0;
  album.make(s0, levels[0], level_name(name));
  if (ctx.settings.keep_location || !file_holds_location(s0)) return;
  for (const std::string& level : levels) {
    std::string file;
    album.make(file, level, level_name(name));
    std::remove(file.c_str());
  }
}

// Writes levels[first] .. levels[L+1] of the picture `name` from image, the
// picture at full size: it is halved `first` times, then once after every
// level, so that it ends halved L + 2 times. Each level directory is
// created. A level file is written when `rewrite` is set or when it is
// missing or older than original/name.
bool writelevels(const build_context_t& ctx, const path_t& album, const std::vector<std::string>& levels,
                 const std::string& name, std::uint64_t L, std::uint64_t first, bool rewrite,
                 libgr::image2d_t& image, markers_t& markers, libutils::report_log_t& log) {
  std::string orig;
  album.make(orig, "original", name);
  const auto halve = [&] {
    return libgr::halve(image) || libutils::fail(log, orig, ": no memory for its smaller sizes", 0, "scaledown() fail.");
  };
  for (std::uint64_t k = 0; k < first; ++k) {
    if (!halve()) return false;
  }
  for (std::uint64_t k = first; k <= L + 1; ++k) {
    make_album_dir(album, levels[k]);
    std::string target;
    album.make(target, levels[k], level_name(name));
    if ((rewrite || libutils::need_update(orig, target)) && !savejpeg(ctx, target, image, markers, log))
      return false;
    // Halved whether or not the level was rewritten, so that level k always
    // holds the picture halved k times.
    if (!halve()) return false;
  }
  return true;
}

// Writes the thumbnail file target: the EXIF thumbnail's bytes turned
// `turns` quarter turns when there is one, else image without markers.
bool writethumbnail(const build_context_t& ctx, const std::string& target, const picture_exif_t& exif,
                    unsigned long long turns, libgr::image2d_t& image, libutils::report_log_t& log) {
  if (exif.has_thumbnail()) return save_exif_thumbnail(ctx, target, exif, turns, log);
  markers_t none;
  return savejpeg(ctx, target, image, none, log);
}

// Whether any of the files levels[0 .. L+2] of the picture is missing or
// older than its original.
bool any_level_outdated(const path_t& album, const std::vector<std::string>& levels,
                        const std::string& name, const std::string& orig) {
  for (const std::string& level : levels) {
    std::string target;
    album.make(target, level, level_name(name));
    if (libutils::need_update(orig, target)) return true;
  }
  return false;
}

// The index in levels of the first file of the picture that does not exist
// (a link whose target is gone counts as missing); levels.size() when all
// do. A newer original alone does not count: only a missing file starts a
// rebuild without a rotation.
std::size_t first_missing_level(const path_t& album, const std::vector<std::string>& levels,
                                const std::string& name) {
  std::size_t j = 0;
  for (; j < levels.size(); ++j) {
    std::string target;
    album.make(target, levels[j], level_name(name));
    if (!is_exist(target)) break;
  }
  return j;
}

// The levels of a HEIF picture from levels[start] on and its thumbnail:
// the picture is decoded once, upright by the file's own rotation, and
// turned the user's `rotation` further; "size0" is then the picture encoded
// at jpeg_compress, as for a turned JPEG picture, and each level carries
// the file's EXIF block (which says upright) and its colour profile. The
// rules of `pass` are those of a turned JPEG picture for the files it
// writes.
bool shrink_heif(const build_context_t& ctx, const path_t& album, const std::vector<std::string>& levels,
                 const std::string& name, std::uint64_t L, std::uint64_t start, std::uint64_t rotation,
                 const picture_pass_t& pass, libutils::report_log_t& log) {
  std::string orig;
  album.make(orig, "original", name);
  libgr::heifinfo_t info;
  info.max_pixels = ctx.settings.max_pixels;
  libgr::image2d_t image;
  if (!info.decompress(image, orig)) return left_out(log, orig, info.issues.reason, pass.decompress_fail, info.issues);
  if (!rotate_in_place(image, rotation, orig, log)) return false;
  markers_t markers;
  if (!info.exif.empty()) markers.push_back(libgr::marker_t{0xE1, info.exif});
  if (!ctx.settings.keep_location) drop_location(markers);
  // The colour profile, so that a phone's wide-gamut picture keeps its colours.
  for (libgr::marker_t& segment : info.icc_segments()) markers.push_back(std::move(segment));
  if (!writelevels(ctx, album, levels, name, L, start, pass.update && rotation != 0, image, markers, log))
    return false;
  std::string thumb;
  album.make(thumb, levels[L + 2], level_name(name));
  if (!pass.update && !libutils::need_update(orig, thumb)) return true;
  markers_t none;
  return savejpeg(ctx, thumb, image, none, log);
}

// image halved until it fits a quarter of the shrink_size box.
bool to_quarter_box(libgr::image2d_t& image, const std::string& file, const global_t& settings,
                    libutils::report_log_t& log) {
  const std::uint64_t max_w = settings.shrink_size.x / 4;
  const std::uint64_t max_h = settings.shrink_size.y / 4;
  // A side of one pixel halves to one pixel: the loop ends there even when
  // the box is narrower.
  while ((image.width > max_w || image.height > max_h) && (image.width > 1 || image.height > 1)) {
    if (!libgr::halve(image)) return libutils::fail(log, file, ": no memory for its thumbnail", 0, "scaledown() fail.");
  }
  return true;
}

// A HEIF file decoded upright, for the display loaders.
bool load_heif(libgr::image2d_t& image, const std::string& file, const global_t& settings,
               libutils::report_log_t& log) {
  libgr::heifinfo_t info;
  info.max_pixels = settings.max_pixels;
  if (info.decompress(image, file)) return true;
  return libutils::fail(log, file, ": " + info.issues.reason, 0, info.issues.detail());
}

}  // namespace

std::uint64_t halvings_to_fit(std::uint64_t w, std::uint64_t h, std::uint64_t x, std::uint64_t y) {
  std::uint64_t count = 0;
  while (w > x || h > y) {
    w >>= 1;
    h >>= 1;
    ++count;
  }
  return count;
}

std::uint64_t scaled_level_index(std::uint64_t count, int scale_factor, std::uint64_t show_level) {
  std::uint64_t bits = 0;
  for (unsigned v = scale_factor > 0 ? static_cast<unsigned>(scale_factor) : 0; v != 0; v >>= 1)
    ++bits;
  const std::uint64_t from_end = bits + show_level;
  return count > from_end ? count - from_end : 0;
}

std::vector<std::string> picture_levels(std::uint64_t L) {
  std::vector<std::string> levels;
  for (std::uint64_t k = 0; k <= L + 1; ++k) levels.push_back("size" + std::to_string(k));
  levels.push_back("thumb");
  return levels;
}

std::vector<std::string> level_pictures(const path_t& album, const std::list<std::string>& names) {
  std::string dir;
  album.make(dir, "original");
  std::list<std::string> originals;
  libutils::getfiles(originals, dir.c_str());
  std::map<std::string, std::string> heif;  // level file name -> HEIF picture
  for (const std::string& name : originals)
    if (is_heif(name)) heif.emplace(level_name(name), name);
  std::vector<std::string> pictures;
  for (const std::string& name : names) {
    const auto it = heif.find(name);
    std::string own;
    album.make(own, "original", name);
    pictures.push_back(it != heif.end() && !is_exist(own) ? it->second : name);
  }
  return pictures;
}

std::uint64_t getshrinklevel(const std::string& jpegfile, const size_limit_t& box) {
  if (is_heif(jpegfile)) {
    libgr::heifinfo_t info;
    return info.analyze(jpegfile) ? halvings_to_fit(info.width, info.height, box.x, box.y) : 0;
  }
  libgr::jpegdata_t data;
  libgr::jpeginfo_t info;
  if (!data.load(jpegfile.c_str()) || !info.analyze_markers(data)) return 0;
  return halvings_to_fit(info.width, info.height, box.x, box.y);
}

std::uint64_t getshrinklevel(const path_t& album, const std::string& name, const size_limit_t& box) {
  std::string file;
  album.make(file, "original", name);
  return getshrinklevel(file, box);
}

const picture_pass_t build_pass = {
    ": shrinkone() original jpegdata load fail.",
    ": shrinkone() original analyze_markers fail.",
    ": shrinkone() copyjpeg fail.",
    ": shrinkone() rotatejpeg fail.",
    ": shrinkone() jpegdata load fail.",
    ": shrinkone() decompress fail.",
    false,
};

const picture_pass_t update_pass = {
    ": shrinkoneupdate() jpegdata load fail.",
    ": shrinkoneupdate() analyze_markers fail.",
    ": copyjpeg() fail.",
    ": rotatejpeg() fail.",
    ": shrinkoneupdate() jpegdata load fail.",
    ": shrinkoneupdate() decompress fail.",
    true,
};

bool shrinkpicture(const build_context_t& ctx, const path_t& album, const std::vector<std::string>& levels,
                   const std::string& name, std::uint64_t L, std::uint64_t start, std::uint64_t rotation,
                   const picture_pass_t& pass, libutils::report_log_t& log) {
  if (is_heif(name)) return shrink_heif(ctx, album, levels, name, L, start, rotation, pass, log);
  std::string orig;
  album.make(orig, "original", name);
  libgr::jpegdata_t data;
  if (!data.load(orig.c_str())) return libutils::fail(log, orig, ": cannot be read", errno, pass.load_fail + 2);
  libgr::jpeginfo_t info;
  info.max_pixels = ctx.settings.max_pixels;
  if (!info.analyze_markers(data)) return left_out(log, orig, reason_of(info.issues), pass.analyze_fail, info.issues);
  const picture_exif_t exif(info, orig, log);
  const unsigned long long turns = exif.upright(rotation);

  // Full size: without a turn "size0" stands for the original itself and the
  // EXIF orientation stays in charge; with one it is the lossless turn, made
  // again from the original on every pass, so that repeated updates give the
  // same picture instead of adding up turns.
  std::string s0;
  album.make(s0, levels[0], name);
  if (rotation == 0) {
    if ((!pass.update || libutils::need_update(orig, s0)) && !web_full_size(ctx, orig, s0, info, name, log))
      return libutils::fail(log, orig, ": its full size cannot be made, left out of the album", 0, pass.link_fail + 2);
    if (pass.update && !any_level_outdated(album, levels, name, orig)) return true;
  } else if (!rotatejpeg(orig, s0, turns, ctx.settings.max_pixels, log)) {
    return libutils::fail(log, orig, ": cannot be turned, left out of the album", 0, pass.rotate_fail + 2);
  }

  // The one decode of the picture; every level below comes from halving.
  // The build decodes the original it has loaded when "size0" stands for
  // it; otherwise "size0" is decoded.
  if ((pass.update || rotation != 0) && !data.load(s0.c_str()))
    return libutils::fail(log, s0, ": cannot be read", errno, pass.pixel_load_fail + 2);
  libgr::image2d_t image;
  libgr::jpeginfo_t pixels;
  pixels.max_pixels = ctx.settings.max_pixels;
  if (!pixels.decompress(image, data, 0, false, libgr::color3ub_t()))
    return left_out(log, orig, reason_of(pixels.issues), pass.decompress_fail, pixels.issues);
  // What decodes of a picture whose data ends early is kept, as a camera
  // viewer would show it.
  if (!pixels.complete)
    libutils::warn(log, orig, ": " + reason_of(pixels.issues) + "; the part that decodes is kept", 0,
                   pixels.issues.detail());
  // The build gives the levels of a turned picture no markers: its EXIF
  // orientation would now be wrong. The update passes on whatever "size0"
  // carries, the original's EXIF block or what the lossless turn kept.
  markers_t markers;
  if (pass.update || rotation == 0) markers = pixels.markers;
  if (!ctx.settings.keep_location) drop_location(markers);

  // An update of a turned picture writes every level, "size0" too, which is
  // then encoded from its own pixels after the lossless turn.
  if (!writelevels(ctx, album, levels, name, L, start, pass.update && rotation != 0, image, markers, log))
    return false;

  // The update always writes the thumbnail; the build only when it is
  // missing or older than the original. An EXIF thumbnail is turned in
  // memory before its one write (the same file that turning the written file
  // would give), so an interrupted run never leaves an unturned thumbnail
  // behind; a thumbnail that cannot be turned is reported and kept as it is.
  std::string thumb;
  album.make(thumb, levels[L + 2], level_name(name));
  if (!pass.update && !libutils::need_update(orig, thumb)) return true;
  return writethumbnail(ctx, thumb, exif, turns, image, log);
}

bool shrinkfile(const build_context_t& ctx, const path_t& album, const files_t& file, const picture_pass_t& pass,
                libutils::report_log_t& log) {
  const std::uint64_t L = getshrinklevel(album, file.name, ctx.settings.shrink_size);
  std::vector<std::string> levels = picture_levels(L);
  // The build writes "size0" as the link or the turn and makes the levels
  // below it by halving (a HEIF picture's "size0" is encoded with them); the
  // update starts at the first missing file of an unturned picture (none
  // missing: nothing to do, not even a directory to make) and turns a
  // turned one again from level 0.
  std::uint64_t start = is_heif(file.name) ? 0 : 1;
  if (pass.update) {
    if (file.rotation == 0) forget_levels_with_location(ctx, album, levels, file.name);
    start = file.rotation == 0 ? first_missing_level(album, levels, file.name) : 0;
    if (start == levels.size()) return true;
  }
  for (std::uint64_t k = 0; k <= L + 1; ++k) make_album_dir(album, levels[k]);
  return shrinkpicture(ctx, album, levels, file.name, L, start, file.rotation, pass, log);
}

bool shrinkfiles(const build_context_t& ctx, const path_t& album, const std::vector<files_t>& files,
                 sigc::signal<void, double>& progress, const picture_pass_t& pass, libutils::report_log_t& log) {
  // An update does not make "thumb": it exists from the album's first
  // build, and an album that lost it fails at the first thumbnail with that
  // thumbnail's report.
  if (!pass.update) make_album_dir(album, "thumb");
  const size_t n = files.size();
  // A file that fails does not stop the others: the stage fails once all
  // have been tried, so that one broken picture on a card does not leave the
  // rest without levels, and so that the album is the same whatever the
  // number of jobs. Each worker writes only its own file's entry of failed.
  std::vector<char> failed(n, 0);
  // What ffmpeg says of the movies is written back once, from this thread,
  // when the stage is over.
  movie_ids_t movie_ids;
  const bool whole = libutils::run_in_order(
      n, ctx.jobs, log,
      [&](size_t i, libutils::report_log_t& out) {
        if (ctx.stopped()) return false;
        const files_t& file = files[i];
        if (ispicture(file.name)) {
          failed[i] = !shrinkfile(ctx, album, file, pass, out);
        } else if (ismovie(file.name)) {
          // The movie stage keeps current files in a build and an update alike.
          failed[i] = !shrinkmovie(ctx, album, file.name, out, &movie_ids);
        }
        return true;
      },
      [&](size_t i, size_t done) { ctx.item_finished(progress, done, n, files[i].name); });
  // What the jobs of this thread kept for the next picture goes back.
  libutils::alloc_mmap_win::release_kept_blocks();
  return whole && std::find(failed.begin(), failed.end(), 1) == failed.end();
}

bool shrinkone(const build_context_t& ctx, const path_t& album, std::vector<std::string>& levels,
               const std::string& name, std::uint64_t L, std::uint64_t rotation, libutils::report_log_t& log) {
  return shrinkpicture(ctx, album, levels, name, L, 1, rotation, build_pass, log);
}

bool shrink(const build_context_t& ctx, const path_t& album, const std::vector<files_t>& files,
            sigc::signal<void, double>& progress, libutils::report_log_t& log) {
  return shrinkfiles(ctx, album, files, progress, build_pass, log);
}

bool load_jpeg(libgr::image2d_t& image, const std::string& file, const global_t& settings,
               libutils::report_log_t& log) {
  if (!ispicture(file)) return false;
  if (is_heif(file)) return load_heif(image, file, settings, log);
  libgr::jpegdata_t data;
  if (!data.load(file.c_str())) return libutils::fail(log, file, ": cannot be read", errno, "load_jpeg() jpegdata load fail.");
  libgr::jpeginfo_t info;
  info.max_pixels = settings.max_pixels;
  if (!info.decompress(image, data, 0, false, libgr::color3ub_t()))
    return libutils::fail(log, file, ": " + reason_of(info.issues), 0, "load_jpeg() decompress fail. " + info.issues.detail());
  return rotate_in_place(image, picture_exif_t(info, file, log).upright(0), file, log);
}

bool load_size_jpeg(libgr::image2d_t& image, const path_t& album, const std::string& dir,
                    const std::string& name, const global_t& settings, libutils::report_log_t& log) {
  std::string file;
  album.make(file, dir, name);
  return load_jpeg(image, file, settings, log);
}

bool load_thumbnail(libgr::image2d_t& image, const std::string& file, const global_t& settings,
                    libutils::report_log_t& log) {
  if (!ispicture(file)) return false;
  if (is_heif(file)) return load_heif(image, file, settings, log) && to_quarter_box(image, file, settings, log);
  libgr::jpegdata_t data;
  if (!data.load(file.c_str()))
    return libutils::fail(log, file, ": cannot be read", errno, "load_thumbnail() jpegdata load fail.");
  libgr::jpeginfo_t info;
  info.max_pixels = settings.max_pixels;
  if (!info.analyze_markers(data))
    return libutils::fail(log, file, ": " + reason_of(info.issues), 0,
                          "load_thumbnail() jpeginfo analyze_markers fail. " + info.issues.detail());
  const picture_exif_t exif(info, file, log);
  if (exif.has_thumbnail()) {
    libgr::bytes_t bytes = exif.app1.tiff_header.thumbnail;
    libgr::jpegdata_t thumbnail;
    thumbnail.setvector(bytes, file.c_str());
    libgr::jpeginfo_t thumbinfo;
    if (!thumbinfo.decompress(image, thumbnail, 0, false, libgr::color3ub_t()))
      return libutils::fail(log, file, ": its camera thumbnail cannot be decoded", 0,
                            "thumbnail decompress() fail. " + thumbinfo.issues.detail());
    return rotate_in_place(image, exif.upright(0), file, log);
  }
  if (!info.decompress(image, data, 0, false, libgr::color3ub_t()))
    return libutils::fail(log, file, ": " + reason_of(info.issues), 0,
                          "original decompress() fail. " + info.issues.detail());
  return to_quarter_box(image, file, settings, log);
}

bool load_exifthumbnail_or_thumbdir(libgr::image2d_t& image, const path_t& album, const std::string& name,
                                    const global_t& settings, libutils::report_log_t& log) {
  std::string file;
  album.make(file, "thumb", level_name(name));
  if (is_exist(file)) return load_jpeg(image, file, settings, log);
  album.make(file, "size0", level_name(name));
  if (!is_exist(file)) album.make(file, "original", name);
  return load_thumbnail(image, file, settings, log);
}

bool load_scaled_thumbnail(libgr::image2d_t& image, const path_t& album, const std::string& name,
                           int scale_factor, const global_t& settings, libutils::report_log_t& log) {
  const std::uint64_t L = getshrinklevel(album, name, settings.shrink_size);
  const std::vector<std::string> levels = picture_levels(L);
  // The index is kept inside the list: a scale factor of 0 with show_level
  // 0 would otherwise point one past "thumb".
  const std::uint64_t index = std::min<std::uint64_t>(
      scaled_level_index(levels.size(), scale_factor, settings.show_level), levels.size() - 1);
  // A level that cannot be read is no fault while a thumbnail can stand in.
  libutils::report_log_t tried;
  if (!load_size_jpeg(image, album, levels[index], level_name(name), settings, tried))
    load_exifthumbnail_or_thumbdir(image, album, name, settings, log);
  libgr::image2d_t rgb;
  if (libgr::grayscale2rgb(rgb, image)) image = rgb;
  return true;
}

}  // namespace pictora

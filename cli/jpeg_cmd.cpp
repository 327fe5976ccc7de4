// pictora-cli jpeg: looking at and reworking single JPEG files with the
// album's own readers and writers.
#include <cerrno>
#include <iomanip>
#include <iostream>
#include <list>
#include <sstream>

#include "app/global.h"
#include "cli/cli.h"
#include "cli/work.h"
#include "libgr/imageutil.h"
#include "libgr/jpeg_marker.h"
#include "libgr/loader_jpeg.h"
#include "libgr/transform.h"
#include "libutils/common.h"
#include "libutils/dirutil.h"
#include "libutils/strutil.h"

namespace pictora::cli {

namespace {

int run_jpeg(context_t& ctx, const std::vector<std::string>& args);

}  // namespace

extern const command_t jpeg_command = {
    "jpeg",
    "inspect, turn or halve a JPEG file",
    "Usage: pictora-cli jpeg info FILE\n"
    "       pictora-cli jpeg rotate COUNT SRC DST\n"
    "       pictora-cli jpeg halve SRC DST\n"
    "\n"
    "  info    print one KEY VALUE a line: width, height, components,\n"
    "          orientation (only when the EXIF block has one), exif-thumbnail\n"
    "          (the embedded thumbnail's length in bytes, 0 without one) and\n"
    "          markers (the APPn and COM codes kept, hexadecimal, file order)\n"
    "  rotate  write DST as SRC turned COUNT quarter turns clockwise (0 to 3),\n"
    "          without recompression\n"
    "  halve   write DST as SRC at half width and height, encoded at the\n"
    "          jpeg_compress quality with SRC's APPn and COM segments\n",
    run_jpeg,
};

namespace {

bool load(libgr::jpegdata_t& data, const std::string& file, libutils::report_log_t& log) {
  if (data.load(file.c_str())) return true;
  const std::string reason = libgr::unreadable_reason(file.c_str());
  return libutils::fail(log, file, ": cannot be read" + (reason.empty() ? "" : ": " + reason));
}

// Reports why libjpeg refused file; false.
bool refused(const std::string& file, const libgr::jpeg_issues_t& issues, const char* outcome,
             libutils::report_log_t& log) {
  return libutils::fail(log, file, ": " + issues.reason + outcome, 0, issues.detail());
}

int jpeg_info(const std::string& file, libutils::report_log_t& log) {
  libgr::jpegdata_t data;
  if (!load(data, file, log)) return exit_failed;
  libgr::jpeginfo_t info;
  if (!info.analyze_markers(data)) return refused(file, info.issues, "", log), exit_failed;

  libgr::app1_marker_t app1;
  libgr::bytes_t payload = info.get_exif();
  bool exif = false;
  if (!payload.empty()) {
    app1.set_app1_buffer(payload);
    // The reader reports what it refuses without the file name.
    exif = app1.parse();
    if (!exif) {
      std::list<std::string> complaints(app1.tiff_header.complaints.begin(), app1.tiff_header.complaints.end());
      std::string detail;
      libutils::concatenate_token(detail, complaints, "; ");
      libutils::fail(log, file, ": EXIF block not read", 0, detail);
    }
  }
  std::ostringstream out;
  out << "width " << info.width << "\n"
      << "height " << info.height << "\n"
      << "components " << info.components << "\n";
  if (exif && !app1.tiff_header.tag_0th_ifd.Orientation.empty())
    out << "orientation " << app1.tiff_header.tag_0th_ifd.Orientation[0] << "\n";
  out << "exif-thumbnail " << (exif ? app1.tiff_header.thumbnail.size() : 0) << "\n";
  out << "markers";
  for (const libgr::marker_t& m : info.markers)
    out << " " << std::hex << std::setw(2) << std::setfill('0') << unsigned{m.code} << std::dec;
  out << "\n";
  std::cout << out.str();
  return exit_ok;
}

bool save(libgr::jpegdata_t& out, const std::string& file, libutils::report_log_t& log) {
  if (out.save(file.c_str())) return true;
  return libutils::fail(log, file, ": cannot be written", errno);
}

int jpeg_rotate(const std::string& count_text, const std::string& src, const std::string& dst,
                libutils::report_log_t& log) {
  unsigned long long count = 0;
  std::istringstream in(count_text);
  if (count_text.empty() || count_text[0] == '-' || !(in >> count) || !in.eof())
    return usage_error(&jpeg_command, "not a count: " + count_text);
  libgr::jpegdata_t data;
  if (!load(data, src, log)) return exit_failed;
  libgr::jpegdata_t out;
  libgr::jpeg_issues_t issues;
  if (!libgr::transform(count, out, data, g_global.max_pixels, issues))
    return refused(src, issues, ", not turned, nothing written", log), exit_failed;
  return save(out, dst, log) ? exit_ok : exit_failed;
}

int jpeg_halve(const std::string& src, const std::string& dst, libutils::report_log_t& log) {
  libgr::jpegdata_t data;
  if (!load(data, src, log)) return exit_failed;
  libgr::jpeginfo_t info;
  info.max_pixels = g_global.max_pixels;
  libgr::image2d_t full;
  if (!info.decompress(full, data, 0, false, libgr::color3ub_t{}))
    return refused(src, info.issues, ", nothing written", log), exit_failed;
  // A picture whose data ends early decodes in part; the album keeps that
  // part, but a halving asked for on its own is not made from it.
  if (!info.complete) return refused(src, info.issues, ", nothing written", log), exit_failed;
  libgr::image2d_t half;
  libgr::jpegdata_t out;
  if (!libgr::scaledown(half, full) || !info.compress(out, half, static_cast<int>(g_global.jpeg_compress), true)) {
    libutils::fail(log, src, ": no memory to halve it, nothing written");
    return exit_failed;
  }
  return save(out, dst, log) ? exit_ok : exit_failed;
}

int run_jpeg(context_t& ctx, const std::vector<std::string>& args) {
  const std::string action = args.empty() ? "" : args[0];
  libutils::report_log_t log = printing_log(ctx);
  if (action == "info" && args.size() == 2) return jpeg_info(args[1], log);
  if (action == "rotate" && args.size() == 4) return jpeg_rotate(args[1], args[2], args[3], log);
  if (action == "halve" && args.size() == 3) return jpeg_halve(args[1], args[2], log);
  if (action == "info" || action == "rotate" || action == "halve")
    return usage_error(&jpeg_command, "wrong number of arguments for jpeg " + action);
  return usage_error(&jpeg_command, action.empty() ? "jpeg needs an action" : "unknown action: " + action);
}

}  // namespace

}  // namespace pictora::cli

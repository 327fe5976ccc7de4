#include "libgr/transform.h"

#include <algorithm>
#include <limits>
#include <string>

#include "libgr/transupp.h"
#include "libutils/common.h"

namespace libgr {

namespace {

// libjpeg's tables and buffers besides the coefficients.
constexpr uint64_t k_memory_allowance = 16 << 20;

constexpr JXFORM_CODE k_transforms[] = {JXFORM_NONE, JXFORM_ROT_90, JXFORM_ROT_180,
                                        JXFORM_ROT_270};

}  // namespace

bool transform(unsigned long long count, jpegdata_t& out, const jpegdata_t& in, uint64_t max_pixels,
               jpeg_issues_t& issues) {
  issues.clear();
  if (count >= sizeof k_transforms / sizeof k_transforms[0]) {
    libutils::error();
    issues.reason = "no such turn";
    issues.complaints.push_back(std::to_string(count) + ": jpeg transform rightrotate count over.");
    return false;
  }

  // Only plain C records live between setjmp and a longjmp back to it. They
  // start zeroed so that destroying one that was never created does nothing.
  jpeg_decompress_struct srcinfo{};
  jpeg_compress_struct dstinfo{};
  my_error_mgr srcerr{};
  my_error_mgr dsterr{};

  srcinfo.err = error_to_issues(srcerr, issues);
  srcerr.empty_source = in.empty();
  // The writing side jumps back too: a source that decodes cleanly can still
  // be refused when its tables are copied ("Cannot transcode ..."), and that
  // must fail this one picture, not end the program.
  dstinfo.err = error_to_issues(dsterr, issues);

  const auto fail = [&] {
    jpeg_destroy_compress(&dstinfo);
    jpeg_destroy_decompress(&srcinfo);
    return false;
  };
  if (setjmp(srcerr.setjmp_buffer)) return fail();
  if (setjmp(dsterr.setjmp_buffer)) return fail();
  jpeg_create_decompress(&srcinfo);
  jpeg_create_compress(&dstinfo);

  set_jpegimage_src(&srcinfo, in);
  // No segment is carried over, so none is saved: APPn (EXIF among them)
  // and COM segments are skipped, each in constant time.
  jpeg_read_header(&srcinfo, TRUE);
  if (!within_pixel_limit(srcinfo, max_pixels, issues)) return fail();
  // The coefficients of the picture and of its turn are held in memory
  // whole. Besides the pixel limit, their size is bounded by what a picture
  // of four components at the limit needs (two bytes a coefficient, two
  // copies), so that a frame of many components cannot take more; libjpeg
  // refuses a larger request ("Backing store not supported").
  const uint64_t limit =
      std::min<uint64_t>(max_pixels, (std::numeric_limits<long>::max() - k_memory_allowance) / 16);
  srcinfo.mem->max_memory_to_use = static_cast<long>(16 * limit + k_memory_allowance);

  jpeg_transform_info info;
  info.transform = k_transforms[count];
  // Without the "perfect" requirement the request cannot be refused.
  jtransform_request_workspace(&srcinfo, &info);

  jvirt_barray_ptr* src_coef_arrays = jpeg_read_coefficients(&srcinfo);
  jpeg_copy_critical_parameters(&srcinfo, &dstinfo);
  jvirt_barray_ptr* dst_coef_arrays =
      jtransform_adjust_parameters(&srcinfo, &dstinfo, src_coef_arrays, &info);
  set_jpegimage_dest(&dstinfo, out);
  jpeg_write_coefficients(&dstinfo, dst_coef_arrays);
  jtransform_execute_transform(&srcinfo, &dstinfo, src_coef_arrays, &info);

  jpeg_finish_compress(&dstinfo);
  const bool clean = dsterr.pub.num_warnings == 0;
  jpeg_destroy_compress(&dstinfo);
  jpeg_finish_decompress(&srcinfo);
  const bool source_clean = srcerr.pub.num_warnings == 0;
  jpeg_destroy_decompress(&srcinfo);
  if ((!clean || !source_clean) && issues.reason.empty()) issues.reason = "damaged picture data";
  return clean && source_clean;
}

}  // namespace libgr

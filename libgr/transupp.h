// Lossless quarter-turn transformation of a JPEG picture over libjpeg's
// coefficient interface: the DCT blocks are moved and their coefficients
// transposed or sign-flipped, so nothing is decoded or re-quantised.
//
// Use (after jpeg_read_header on src, before jpeg_read_coefficients):
//   jpeg_transform_info info;  info.transform = JXFORM_ROT_90;
//   jtransform_request_workspace(&src, &info);
//   jvirt_barray_ptr* in = jpeg_read_coefficients(&src);
//   jpeg_copy_critical_parameters(&src, &dst);
//   jvirt_barray_ptr* out = jtransform_adjust_parameters(&src, &dst, in, &info);
//   /* destination */ jpeg_write_coefficients(&dst, out);
//   jtransform_execute_transform(&src, &dst, in, &info);
//
// A picture whose sides are not whole iMCUs cannot be mirrored as whole
// blocks along a mirrored axis: without trimming, the partial iMCU column or
// row at that edge stays where it is (its blocks are only transposed when
// the transform transposes) and the picture keeps its full size; with
// trimming, the partial iMCUs are dropped.
#pragma once

#include <cstdio>  // jpeglib.h needs FILE and size_t declared first

#include <jpeglib.h>

namespace libgr {

// Clockwise quarter turns.
enum JXFORM_CODE {
  JXFORM_NONE,     // coefficients copied unchanged
  JXFORM_ROT_90,   // 90 degrees clockwise
  JXFORM_ROT_180,  // 180 degrees
  JXFORM_ROT_270,  // 270 degrees clockwise (90 anticlockwise)
};

struct jpeg_transform_info {
  // Set by the caller.
  JXFORM_CODE transform = JXFORM_NONE;
  bool perfect = false;  // refuse pictures with partial iMCUs on a mirrored edge
  bool trim = false;     // drop partial iMCUs on a mirrored edge

  // Worked out by jtransform_request_workspace.
  int num_components = 0;
  JDIMENSION output_width = 0;  // size of the transformed picture
  JDIMENSION output_height = 0;
  int iMCU_sample_width = 0;  // iMCU size of the transformed picture in pixels
  int iMCU_sample_height = 0;
  jvirt_barray_ptr* workspace_coef_arrays = nullptr;  // null when blocks stay put
};

// True when every edge that `transform` mirrors is a whole number of MCUs,
// so that the transform moves every block.
bool jtransform_perfect_transform(JDIMENSION image_width, JDIMENSION image_height, int MCU_width,
                                  int MCU_height, JXFORM_CODE transform);

// Cuts the transformed picture's width (height) down to whole iMCUs, unless
// that would leave nothing. `full_width` (`full_height`) is the length of the
// source side that becomes the output's width (height).
void trim_right_edge(jpeg_transform_info* info, JDIMENSION full_width);
void trim_bottom_edge(jpeg_transform_info* info, JDIMENSION full_height);

// Works out the output's size and asks srcinfo's memory manager for the
// coefficient arrays of the transformed picture. Call after jpeg_read_header
// and before jpeg_read_coefficients. False only when `perfect` is asked for
// and the picture has partial iMCUs on a mirrored edge.
bool jtransform_request_workspace(j_decompress_ptr srcinfo, jpeg_transform_info* info);

// Fits dstinfo (after jpeg_copy_critical_parameters) to the transformed
// picture: size, and for quarter turns the sampling factors and quantisation
// tables transposed. Returns the arrays to hand to jpeg_write_coefficients.
jvirt_barray_ptr* jtransform_adjust_parameters(j_decompress_ptr srcinfo, j_compress_ptr dstinfo,
                                               jvirt_barray_ptr* src_coef_arrays,
                                               jpeg_transform_info* info);

// Fills the output arrays from the source's. Call after
// jpeg_write_coefficients (which works out the output's block layout) and
// before jpeg_finish_compress.
void jtransform_execute_transform(j_decompress_ptr srcinfo, j_compress_ptr dstinfo,
                                  jvirt_barray_ptr* src_coef_arrays, jpeg_transform_info* info);

}  // namespace libgr

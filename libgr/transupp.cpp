#include "libgr/transupp.h"

#include <algorithm>
#include <utility>

namespace libgr {

namespace {

bool transposes(JXFORM_CODE transform) {
  return transform == JXFORM_ROT_90 || transform == JXFORM_ROT_270;
}

// Which axes of the output run backwards relative to the source. A quarter
// turn clockwise is a transposition followed by a left-right mirror; a
// quarter turn anticlockwise, a transposition followed by a top-bottom
// mirror.
bool mirrors_x(JXFORM_CODE transform) {
  return transform == JXFORM_ROT_90 || transform == JXFORM_ROT_180;
}
bool mirrors_y(JXFORM_CODE transform) {
  return transform == JXFORM_ROT_180 || transform == JXFORM_ROT_270;
}

JDIMENSION div_round_up(JDIMENSION a, JDIMENSION b) { return (a + b - 1) / b; }

// A single component is coded one block per MCU whatever its sampling
// factors say, so its iMCU is one block and its output factors become 1x1.
int imcu_factor(const jpeg_transform_info* info, int samp_factor) {
  return info->num_components == 1 ? 1 : samp_factor;
}

// One output axis: where an output block comes from along it. Blocks inside
// the mirrorable extent (whole iMCUs of the source side) run backwards and
// have their odd frequencies along the axis negated, because mirroring a
// cosine basis function of odd frequency inverts it; blocks of a partial
// iMCU beyond it stay in place, unchanged along this axis.
struct axis_t {
  bool mirrored;
  JDIMENSION extent;  // mirrorable blocks, counted from the output's origin

  bool flips(JDIMENSION out) const { return mirrored && out < extent; }
  JDIMENSION source(JDIMENSION out) const { return flips(out) ? extent - 1 - out : out; }
};

// The sign of each of a block's coefficients (v * DCTSIZE + u, u and v its
// horizontal and vertical frequencies) when the odd frequencies along x
// (table bit 0) and along y (bit 1) are negated.
struct signs_t {
  JCOEF of[4][DCTSIZE2];
  signs_t() {
    for (int t = 0; t < 4; ++t)
      for (int v = 0; v < DCTSIZE; ++v)
        for (int u = 0; u < DCTSIZE; ++u) {
          const bool negate = ((t & 1) != 0 && (u & 1) != 0) != ((t & 2) != 0 && (v & 1) != 0);
          of[t][v * DCTSIZE + u] = negate ? -1 : 1;
        }
  }
};
const signs_t s_signs;

// Writes one output block from its source block, transposed or not, with
// the signs of `sign`. Without branches, so that it runs at memory speed.
template <bool transposed>
void transform_block(JCOEF* out, const JCOEF* in, const JCOEF* sign) {
  for (int v = 0; v < DCTSIZE; ++v)
    for (int u = 0; u < DCTSIZE; ++u) {
      const JCOEF c = transposed ? in[u * DCTSIZE + v] : in[v * DCTSIZE + u];
      out[v * DCTSIZE + u] = static_cast<JCOEF>(c * sign[v * DCTSIZE + u]);
    }
}

JBLOCKROW source_row(j_decompress_ptr srcinfo, jvirt_barray_ptr array, JDIMENSION y) {
  return srcinfo->mem->access_virt_barray(reinterpret_cast<j_common_ptr>(srcinfo), array, y, 1,
                                          FALSE)[0];
}

// Output rows asked for at once: a band of this many iMCU rows lets a
// transposing pass read each source row along a run of adjacent blocks
// instead of one block at a time, which is what makes it fast.
constexpr JDIMENSION k_band_imcu_rows = 8;

}  // namespace

bool jtransform_perfect_transform(JDIMENSION image_width, JDIMENSION image_height, int MCU_width,
                                  int MCU_height, JXFORM_CODE transform) {
  // Under a quarter turn the source's width runs along the output's height.
  const bool transposed = transposes(transform);
  const bool width_mirrored = transposed ? mirrors_y(transform) : mirrors_x(transform);
  const bool height_mirrored = transposed ? mirrors_x(transform) : mirrors_y(transform);
  if (width_mirrored && image_width % static_cast<JDIMENSION>(MCU_width) != 0) return false;
  if (height_mirrored && image_height % static_cast<JDIMENSION>(MCU_height) != 0) return false;
  return true;
}

void trim_right_edge(jpeg_transform_info* info, JDIMENSION full_width) {
  const JDIMENSION imcu = static_cast<JDIMENSION>(info->iMCU_sample_width);
  if (full_width >= imcu) info->output_width = full_width / imcu * imcu;
}

void trim_bottom_edge(jpeg_transform_info* info, JDIMENSION full_height) {
  const JDIMENSION imcu = static_cast<JDIMENSION>(info->iMCU_sample_height);
  if (full_height >= imcu) info->output_height = full_height / imcu * imcu;
}

bool jtransform_request_workspace(j_decompress_ptr srcinfo, jpeg_transform_info* info) {
  info->num_components = srcinfo->num_components;
  info->workspace_coef_arrays = nullptr;
  const int block = srcinfo->min_DCT_scaled_size;
  const int imcu_width = imcu_factor(info, srcinfo->max_h_samp_factor) * block;
  const int imcu_height = imcu_factor(info, srcinfo->max_v_samp_factor) * block;

  if (info->perfect && !jtransform_perfect_transform(srcinfo->image_width, srcinfo->image_height,
                                                     imcu_width, imcu_height, info->transform))
    return false;

  const bool transposed = transposes(info->transform);
  info->output_width = transposed ? srcinfo->image_height : srcinfo->image_width;
  info->output_height = transposed ? srcinfo->image_width : srcinfo->image_height;
  info->iMCU_sample_width = transposed ? imcu_height : imcu_width;
  info->iMCU_sample_height = transposed ? imcu_width : imcu_height;

  if (info->trim) {
    if (mirrors_x(info->transform)) trim_right_edge(info, info->output_width);
    if (mirrors_y(info->transform)) trim_bottom_edge(info, info->output_height);
  }

  // Without a transformation the source's own arrays are written as they are.
  if (info->transform == JXFORM_NONE) return true;

  const auto common = reinterpret_cast<j_common_ptr>(srcinfo);
  auto* arrays = static_cast<jvirt_barray_ptr*>(srcinfo->mem->alloc_small(
      common, JPOOL_IMAGE, sizeof(jvirt_barray_ptr) * static_cast<size_t>(info->num_components)));
  const JDIMENSION imcu_cols = div_round_up(info->output_width, info->iMCU_sample_width);
  const JDIMENSION imcu_rows = div_round_up(info->output_height, info->iMCU_sample_height);
  for (int ci = 0; ci < info->num_components; ++ci) {
    const jpeg_component_info& comp = srcinfo->comp_info[ci];
    int h = imcu_factor(info, comp.h_samp_factor);
    int v = imcu_factor(info, comp.v_samp_factor);
    if (transposed) std::swap(h, v);
    // Whole iMCUs, as the coefficient writer reads them; not pre-zeroed since
    // the transformation writes every block.
    arrays[ci] = srcinfo->mem->request_virt_barray(common, JPOOL_IMAGE, FALSE,
                                                   imcu_cols * static_cast<JDIMENSION>(h),
                                                   imcu_rows * static_cast<JDIMENSION>(v),
                                                   k_band_imcu_rows * static_cast<JDIMENSION>(v));
  }
  info->workspace_coef_arrays = arrays;
  return true;
}

jvirt_barray_ptr* jtransform_adjust_parameters(j_decompress_ptr /*srcinfo*/,
                                               j_compress_ptr dstinfo,
                                               jvirt_barray_ptr* src_coef_arrays,
                                               jpeg_transform_info* info) {
  dstinfo->image_width = info->output_width;
  dstinfo->image_height = info->output_height;

  if (info->num_components == 1) {
    dstinfo->comp_info[0].h_samp_factor = 1;
    dstinfo->comp_info[0].v_samp_factor = 1;
  } else if (transposes(info->transform)) {
    for (int ci = 0; ci < dstinfo->num_components; ++ci) {
      jpeg_component_info& comp = dstinfo->comp_info[ci];
      std::swap(comp.h_samp_factor, comp.v_samp_factor);
    }
  }

  // Transposed blocks need transposed quantisation tables: the step of
  // horizontal frequency u, vertical v becomes that of (v, u).
  if (transposes(info->transform)) {
    for (JQUANT_TBL* table : dstinfo->quant_tbl_ptrs) {
      if (table == nullptr) continue;
      for (int i = 0; i < DCTSIZE; ++i)
        for (int j = 0; j < i; ++j)
          std::swap(table->quantval[i * DCTSIZE + j], table->quantval[j * DCTSIZE + i]);
    }
  }

  return info->workspace_coef_arrays != nullptr ? info->workspace_coef_arrays : src_coef_arrays;
}

void jtransform_execute_transform(j_decompress_ptr srcinfo, j_compress_ptr dstinfo,
                                  jvirt_barray_ptr* src_coef_arrays, jpeg_transform_info* info) {
  if (info->workspace_coef_arrays == nullptr) return;

  const bool transposed = transposes(info->transform);
  // Source side lengths along the output's axes, in pixels.
  const JDIMENSION length_x = transposed ? srcinfo->image_height : srcinfo->image_width;
  const JDIMENSION length_y = transposed ? srcinfo->image_width : srcinfo->image_height;
  const auto block = static_cast<JDIMENSION>(srcinfo->min_DCT_scaled_size);
  const auto common = reinterpret_cast<j_common_ptr>(dstinfo);

  for (int ci = 0; ci < info->num_components; ++ci) {
    const jpeg_component_info& comp = dstinfo->comp_info[ci];
    const auto h = static_cast<JDIMENSION>(comp.h_samp_factor);
    const auto v = static_cast<JDIMENSION>(comp.v_samp_factor);
    // Whole iMCUs of the source side, in this component's blocks.
    const auto imcu_width = static_cast<JDIMENSION>(dstinfo->max_h_samp_factor) * block;
    const auto imcu_height = static_cast<JDIMENSION>(dstinfo->max_v_samp_factor) * block;
    const axis_t axis_x{mirrors_x(info->transform), length_x / imcu_width * h};
    const axis_t axis_y{mirrors_y(info->transform), length_y / imcu_height * v};
    const JDIMENSION width = div_round_up(comp.width_in_blocks, h) * h;
    const JDIMENSION height = div_round_up(comp.height_in_blocks, v) * v;

    // The output arrays are written in bands of whole iMCU rows, one after
    // another, as libjpeg's virtual arrays require of a writer. A
    // transposing pass takes the band column by column: an output column
    // comes from one source row, read along adjacent blocks.
    for (JDIMENSION y0 = 0; y0 < height; y0 += k_band_imcu_rows * v) {
      const JDIMENSION band = std::min(k_band_imcu_rows * v, height - y0);
      JBLOCKARRAY rows = dstinfo->mem->access_virt_barray(
          common, info->workspace_coef_arrays[ci], y0, band, TRUE);
      const auto sign = [&](JDIMENSION x, JDIMENSION y) {
        return s_signs.of[(axis_x.flips(x) ? 1 : 0) | (axis_y.flips(y) ? 2 : 0)];
      };
      if (transposed) {
        for (JDIMENSION x = 0; x < width; ++x) {
          // Position before mirroring, still in the output's orientation.
          const JBLOCKROW in = source_row(srcinfo, src_coef_arrays[ci], axis_x.source(x));
          for (JDIMENSION dy = 0; dy < band; ++dy)
            transform_block<true>(rows[dy][x], in[axis_y.source(y0 + dy)], sign(x, y0 + dy));
        }
      } else {
        for (JDIMENSION dy = 0; dy < band; ++dy) {
          const JBLOCKROW in = source_row(srcinfo, src_coef_arrays[ci], axis_y.source(y0 + dy));
          for (JDIMENSION x = 0; x < width; ++x)
            transform_block<false>(rows[dy][x], in[axis_x.source(x)], sign(x, y0 + dy));
        }
      }
    }
  }
}

}  // namespace libgr

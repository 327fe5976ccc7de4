#include "tests/support/make_jpeg.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include <jpeglib.h>

namespace testutil {

namespace {

uint8_t clamp(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// A small integer hash: the noise must be the same on every run.
uint32_t mix(uint32_t v) {
  v ^= v >> 16;
  v *= 0x7feb352dU;
  v ^= v >> 15;
  v *= 0x846ca68bU;
  v ^= v >> 16;
  return v;
}

}  // namespace

std::array<uint8_t, 3> pattern_rgb(unsigned x, unsigned y, unsigned width, unsigned height,
                                   unsigned seed) {
  const unsigned wspan = width > 1 ? width - 1 : 1;
  const unsigned hspan = height > 1 ? height - 1 : 1;
  const int noise = static_cast<int>(mix(x * 73856093U ^ y * 19349663U ^ seed * 83492791U) % 33) - 16;
  return {clamp(static_cast<int>(x * 255 / wspan) + noise),
          clamp(static_cast<int>(y * 255 / hspan) - noise),
          clamp(static_cast<int>((x + y) * 255 / (wspan + hspan)) + noise / 2)};
}

std::string make_jpeg(const jpeg_options& o) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);

  cinfo.image_width = o.width;
  cinfo.image_height = o.height;
  switch (o.sampling) {
    case jpeg_sampling::gray:
      cinfo.input_components = 1;
      cinfo.in_color_space = JCS_GRAYSCALE;
      break;
    case jpeg_sampling::cmyk:
      cinfo.input_components = 4;
      cinfo.in_color_space = JCS_CMYK;
      break;
    default:
      cinfo.input_components = 3;
      cinfo.in_color_space = JCS_RGB;
  }
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, o.quality, TRUE);
  cinfo.write_JFIF_header = o.jfif && o.sampling != jpeg_sampling::cmyk ? TRUE : FALSE;
  if (cinfo.in_color_space == JCS_RGB) {
    // Luma at full resolution; chroma factors follow from the sampling.
    const int h = o.sampling == jpeg_sampling::yuv444 ? 1 : 2;
    const int v = o.sampling == jpeg_sampling::yuv420 ? 2 : 1;
    cinfo.comp_info[0].h_samp_factor = h;
    cinfo.comp_info[0].v_samp_factor = v;
    for (int c = 1; c < 3; ++c) cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
  }
  jpeg_start_compress(&cinfo, TRUE);
  if (!o.app1.empty()) {
    jpeg_write_marker(&cinfo, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(o.app1.data()),
                      static_cast<unsigned>(o.app1.size()));
  }
  for (const auto& [code, payload] : o.segments) {
    jpeg_write_marker(&cinfo, code, reinterpret_cast<const JOCTET*>(payload.data()),
                      static_cast<unsigned>(payload.size()));
  }

  std::vector<JSAMPLE> row(size_t{o.width} * cinfo.input_components);
  while (cinfo.next_scanline < cinfo.image_height) {
    const unsigned y = cinfo.next_scanline;
    for (unsigned x = 0; x < o.width; ++x) {
      const auto rgb = pattern_rgb(x, y, o.width, o.height, o.seed);
      JSAMPLE* p = &row[size_t{x} * cinfo.input_components];
      if (o.sampling == jpeg_sampling::gray) {
        p[0] = static_cast<JSAMPLE>((rgb[0] * 77 + rgb[1] * 150 + rgb[2] * 29) >> 8);
      } else if (o.sampling == jpeg_sampling::cmyk) {
        p[0] = static_cast<JSAMPLE>(255 - rgb[0]);
        p[1] = static_cast<JSAMPLE>(255 - rgb[1]);
        p[2] = static_cast<JSAMPLE>(255 - rgb[2]);
        p[3] = 0;
      } else {
        p[0] = rgb[0];
        p[1] = rgb[1];
        p[2] = rgb[2];
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return out;
}

void write_jpeg(const std::string& path, const jpeg_options& options) {
  const std::string bytes = make_jpeg(options);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

decoded_t reference_decode(const std::string& jpeg) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(jpeg.data()),
               static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  decoded_t d;
  d.width = cinfo.output_width;
  d.height = cinfo.output_height;
  d.components = static_cast<unsigned>(cinfo.output_components);
  d.pixels.resize(size_t{d.width} * d.height * d.components);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW rows[1] = {d.pixels.data() + size_t{cinfo.output_scanline} * d.width * d.components};
    jpeg_read_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return d;
}

}  // namespace testutil

#include "tests/pictures/pictures.h"

#include "libgr/imagedesc.h"
#include "tests/support/picture_check.h"
#include "tests/support/test_util.h"

namespace pictures {

cli_result run_cli(const std::vector<std::string>& args) {
  static testutil::TempDir home;
  std::vector<std::string> argv = {testutil::cli_path()};
  argv.insert(argv.end(), args.begin(), args.end());
  cli_result r;
  r.status = testutil::run_program(argv, &r.out, &r.err,
                                   {"HOME=" + home.path(), "XDG_CONFIG_HOME=" + home.path(), "LC_ALL=C"});
  return r;
}

testutil::decoded_t topdown(const libgr::image2d_t& image) {
  testutil::decoded_t out;
  out.width = image.width;
  out.height = image.height;
  out.components = libgr::format_components(image.desc.format);
  for (uint32_t y = 0; y < image.height; ++y) {
    const unsigned char* row = image.row(image.height - 1 - y);
    out.pixels.insert(out.pixels.end(), row, row + size_t{image.width} * out.components);
  }
  return out;
}

testutil::decoded_t as_rgb(const testutil::decoded_t& gray) {
  testutil::decoded_t out = gray;
  if (gray.components != 1) return out;
  out.components = 3;
  out.pixels.clear();
  for (uint8_t v : gray.pixels) out.pixels.insert(out.pixels.end(), {v, v, v});
  return out;
}

testutil::decoded_t halved(testutil::decoded_t picture, unsigned times) {
  for (unsigned k = 0; k < times; ++k) picture = testutil::halve_reference(picture);
  return picture;
}

}  // namespace pictures

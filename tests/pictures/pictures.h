// What the picture tests share: running the built pictora-cli as a user
// would, with its settings and home in a scratch folder, and pictures in
// memory seen top-down for comparison with libjpeg's own decoding.
#pragma once

#include <string>
#include <vector>

#include "libgr/imagedesc.h"
#include "libgr/imagetype.h"
#include "tests/support/picture_check.h"
#include "tests/support/test_util.h"

namespace pictures {

struct cli_result {
  int status = -1;
  std::string out, err;
};

// pictora-cli with args, under LC_ALL=C, without a settings file.
inline cli_result run_cli(const std::vector<std::string>& args) {
  static testutil::TempDir home;
  std::vector<std::string> argv = {testutil::cli_path()};
  argv.insert(argv.end(), args.begin(), args.end());
  cli_result r;
  r.status = testutil::run_program(argv, &r.out, &r.err,
                                   {"HOME=" + home.path(), "XDG_CONFIG_HOME=" + home.path(), "LC_ALL=C"});
  return r;
}

// A bottom-up image of the program as a top-down decoded picture.
inline testutil::decoded_t topdown(const libgr::image2d_t& image) {
  testutil::decoded_t out{image.width, image.height, libgr::format_components(image.desc.format), {}};
  for (uint32_t y = image.height; y-- > 0;)
    out.pixels.insert(out.pixels.end(), image.row(y), image.row(y) + image.width * out.components);
  return out;
}

// `picture` halved `times` times as the levels are made.
inline testutil::decoded_t halved(testutil::decoded_t picture, unsigned times) {
  for (unsigned k = 0; k < times; ++k) picture = testutil::halve_reference(picture);
  return picture;
}

}  // namespace pictures

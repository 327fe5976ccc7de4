// What the picture tests share: running the built pictora-cli as a user
// would, with its settings and home in a scratch folder, and pictures in
// memory seen top-down for comparison with libjpeg's own decoding.
#pragma once

#include <string>
#include <vector>

#include "libgr/imagetype.h"
#include "tests/support/make_jpeg.h"

namespace pictures {

struct cli_result {
  int status = -1;
  std::string out;
  std::string err;
};

// pictora-cli with args, under LC_ALL=C, without a settings file.
cli_result run_cli(const std::vector<std::string>& args);

// A bottom-up image of the program as a top-down decoded picture.
testutil::decoded_t topdown(const libgr::image2d_t& image);

// A gray picture widened to RGB, each value three times.
testutil::decoded_t as_rgb(const testutil::decoded_t& gray);

// `picture` halved `times` times as the levels are made.
testutil::decoded_t halved(testutil::decoded_t picture, unsigned times);

}  // namespace pictures

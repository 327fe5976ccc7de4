// Looking at a JPEG file's DCT coefficients, and the reference lossless
// transform of the jpegtran program, for the tests of the lossless rotation.
//
//   testutil::jpegtran_result ref = testutil::run_jpegtran({"-rotate", "90"}, jpeg);
//   EXPECT_EQ("", testutil::coefficient_difference(testutil::read_coefficients(ref.jpeg),
//                                                  testutil::read_coefficients(mine)));
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace testutil {

struct jpeg_coefficients_t {
  struct component_t {
    int id = 0;
    int h_samp = 0;
    int v_samp = 0;
    unsigned width_in_blocks = 0;  // blocks inside the picture, without padding
    unsigned height_in_blocks = 0;
    std::array<uint16_t, 64> quant{};  // natural (row-major) order
    std::vector<int16_t> blocks;       // 64 a block, blocks row by row
  };

  std::string error;  // libjpeg's message when the file could not be read
  unsigned width = 0;
  unsigned height = 0;
  int warnings = 0;          // libjpeg warnings while reading
  std::vector<int> markers;  // codes of the APPn and COM segments, in file order
  std::vector<component_t> components;
};

// Reads with libjpeg's own memory source; never ends the program.
jpeg_coefficients_t read_coefficients(const std::string& jpeg);

// Empty when both hold the same size, components, sampling, quantisation and
// coefficients; otherwise the first difference in words.
std::string coefficient_difference(const jpeg_coefficients_t& expected,
                                   const jpeg_coefficients_t& actual);

struct jpegtran_result {
  int status = -1;
  std::string jpeg;    // the file written
  std::string report;  // what jpegtran wrote to standard error
};

// Runs `jpegtran <options> -outfile OUT IN` on a copy of `jpeg`.
jpegtran_result run_jpegtran(const std::vector<std::string>& options, const std::string& jpeg);

}  // namespace testutil

// An independent look at a JPEG file through libjpeg alone: its size,
// components and segments, whether all its coefficients can be read, and the
// jpegtran program's lossless transform of it.
//
//   testutil::jpegtran_result ref = testutil::run_jpegtran({"-rotate", "90"}, jpeg);
//   EXPECT_TRUE(ref.jpeg == mine);
//   EXPECT_EQ("", testutil::read_coefficients(mine).error);
#pragma once

#include <string>
#include <vector>

namespace testutil {

struct jpeg_coefficients_t {
  std::string error;  // libjpeg's message when the file could not be read
  unsigned width = 0;
  unsigned height = 0;
  int components = 0;
  int warnings = 0;          // libjpeg warnings while reading every coefficient
  std::vector<int> markers;  // codes of the APPn and COM segments, in file order
};

// Reads every coefficient with libjpeg's own memory source; never ends the
// program.
jpeg_coefficients_t read_coefficients(const std::string& jpeg);

struct jpegtran_result {
  int status = -1;
  std::string jpeg;    // the file written
  std::string report;  // what jpegtran wrote to standard error
};

// Runs `jpegtran <options> -outfile OUT IN` on a copy of `jpeg`.
jpegtran_result run_jpegtran(const std::vector<std::string>& options, const std::string& jpeg);

}  // namespace testutil

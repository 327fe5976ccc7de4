#include "tests/support/make_movie.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "tests/support/test_util.h"

namespace testutil {

namespace {

void run_ffmpeg(const std::vector<std::string>& argv, const std::string& path) {
  std::string err;
  if (run_program(argv, nullptr, &err) != 0)
    ADD_FAILURE() << "ffmpeg could not write " << path << ":\n" << err;
}

}  // namespace

void write_movie(const std::string& path, const movie_options& o) {
  const std::string source = "testsrc2=size=" + std::to_string(o.width) + "x" +
                             std::to_string(o.height) + ":rate=" + std::to_string(o.rate);
  // yuv420p keeps H.264 in the profile every player and decoder takes.
  run_ffmpeg({"ffmpeg", "-y", "-v", "error", "-f", "lavfi", "-i", source, "-t",
              std::to_string(o.seconds), "-pix_fmt", "yuv420p", path},
             path);
}

void write_sound(const std::string& path, unsigned seconds) {
  run_ffmpeg({"ffmpeg", "-y", "-v", "error", "-f", "lavfi", "-i",
              "sine=frequency=440:duration=" + std::to_string(seconds), path},
             path);
}

frame_size_t movie_frame_size(const std::string& path) {
  std::string out;
  run_program({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
               "stream=width,height", "-of", "csv=p=0", path},
              &out, nullptr);
  frame_size_t size;
  if (std::sscanf(out.c_str(), "%u,%u", &size.width, &size.height) != 2) return frame_size_t();
  return size;
}

}  // namespace testutil

// Short test movies and sounds written by the real ffmpeg (run through
// testutil::run_program, never through the code under test), and an
// independent look at a movie's frame size through ffprobe.
//
//   testutil::write_movie(dir / "clip.MOV", {1920, 1080});
//   testutil::write_sound(dir / "voice.m4a");
//   testutil::frame_size_t s = testutil::movie_frame_size(dir / "clip.MOV");
//
// The container and its default codecs follow the file's extension (".MOV"
// and ".mp4" hold H.264, ".avi" MPEG-4 part 2). A failure is a test failure
// that carries ffmpeg's report.
#pragma once

#include <string>

namespace testutil {

struct movie_options {
  movie_options(unsigned width_ = 320, unsigned height_ = 240) : width(width_), height(height_) {}

  unsigned width;
  unsigned height;
  unsigned rate = 5;    // frames per second
  unsigned seconds = 1;
};

// A moving test pattern (ffmpeg's testsrc2) of the given size and length.
void write_movie(const std::string& path, const movie_options& options);
// A sine tone without any picture.
void write_sound(const std::string& path, unsigned seconds = 1);

struct frame_size_t {
  unsigned width = 0;
  unsigned height = 0;
  bool operator==(const frame_size_t& o) const { return width == o.width && height == o.height; }
};

// The size of the movie's first video stream as ffprobe reads it; (0, 0)
// when it has none or cannot be read.
frame_size_t movie_frame_size(const std::string& path);

}  // namespace testutil

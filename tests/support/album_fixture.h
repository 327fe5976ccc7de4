// A prepared album for the page tests: the album "book/album" below a scratch
// base, filled on request with pictures at all their size levels, a movie at
// its levels (made by the real ffmpeg), sounds, comments and classification
// lists, laid out as the build pipeline leaves them.
#pragma once

#include <string>
#include <vector>

#include "app/path.h"
#include "tests/support/test_util.h"

namespace testutil {

class album_fixture {
 public:
  album_fixture();

  const pictora::path_t& album() const { return album_; }
  // album directory + "/" + relative
  std::string path(const std::string& relative) const;

  // original/name, width x height, with the EXIF block of a camera when
  // with_exif is set; "size" k at width >> k by height >> k for
  // k = 0 ... levels+1; "thumb" at the next halving.
  void add_picture(const std::string& name, unsigned width, unsigned height, unsigned levels, bool with_exif);
  // A thumbnail without any source picture or size level.
  void add_thumbnail_only(const std::string& name);
  // original/name, a one-second movie of width x height made by ffmpeg,
  // and its copies "movie" k/stem.mp4 at halved sizes with a still each, for
  // k = 0 ... levels+1. False when ffmpeg cannot make them.
  bool add_movie(const std::string& name, unsigned width, unsigned height, unsigned levels);
  // original/name with a few bytes.
  void add_sound(const std::string& name);
  // Any file below the album directory.
  void add_file(const std::string& relative, const std::string& bytes);

  // text with these fields replaced, for expected pages: {T} and {/T} by the
  // frame of a good entry, {kb:FILE} by the size of the album's FILE in
  // kilobytes (a started one counted whole), {caption:NAME} by the EXIF
  // caption of original/NAME, {info} by info.
  std::string expand(const std::string& text, const std::string& info = "") const;

  // txt/list with one name per line.
  void set_list(const std::string& list, const std::vector<std::string>& names);
  // The album's title, head and closing comment files.
  void set_album_comment(const std::string& title, const std::string& head, const std::string& last);
  // txt/stem.txt of a file.
  void set_comment(const std::string& stem, const std::string& text);

 private:
  TempDir base_;
  pictora::path_t album_;
};

}  // namespace testutil

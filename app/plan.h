// What a build or an update would do, said before anything is done: one
// line a step in plain words, for a user who wants to see what a run would
// copy, make and write. Nothing here writes to the disk.
#pragma once

#include <string>
#include <vector>

#include "app/bookedit.h"
#include "app/path.h"

namespace pictora {

// The steps of make_album for request (checked already): the album's
// folder, texts and secret mark, each copy, the levels or movie copies of
// each picked picture or movie, the pages, the book's index page.
std::vector<std::string> plan_make_album(const album_request_t& request);

// The steps of an update of dir, walked as the update walks it: for a book
// (empty album part) each directory in ascending order, then its index
// page; for an album the levels that are missing or older than their
// original, movies without their copies, what is left of pictures whose
// original is gone, an interrupted build, then the pages; for a collection
// its pages.
std::vector<std::string> plan_update(const path_t& dir);

}  // namespace pictora

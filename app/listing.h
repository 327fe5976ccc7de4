// Finding, ordering and loading every album of a book tree. A directory is an
// album when it has an "original" subdirectory; any other directory walked is
// a book.
#pragma once

#include <list>
#include <string>
#include <utility>

#include "app/album.h"
#include "app/path.h"

namespace pictora {

// An album found by a walk: the book part and the album part of its path_t,
// relative to the base of the walk.
using albumdir_t = std::pair<std::string, std::string>;

// The subdirectories of dir that a walk starts from: descending byte order,
// without "txt", names beginning with "_", and directories marked secret.
// False, out untouched, when dir cannot be listed.
bool walk_names(std::list<std::string>& out, const std::string& dir);

// Appends the albums at and below parent's subdirectories `names`, depth
// first, each level in descending byte order of names.
void hierar_albums(std::list<albumdir_t>& out, const path_t& parent, std::list<std::string>& names);
// Orders by album name only (plain byte order), keeping the walk order of
// equal names.
void sort_albums(std::list<albumdir_t>& albums);
bool albumdirs_compare(const albumdir_t& a, const albumdir_t& b);
// Appends one record per album, loaded below base.make(); an album whose list
// files are missing is still appended, with empty lists.
void load_albums(std::list<album_t>& out, const path_t& base, const std::list<albumdir_t>& albums);

}  // namespace pictora

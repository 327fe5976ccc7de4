// Finding, ordering and loading every album of a book tree. A directory is an
// album when it has an "original" subdirectory; any other directory walked is
// a book.
#pragma once

#include <list>
#include <set>
#include <string>
#include <utility>

#include "app/album.h"
#include "app/path.h"

namespace pictora {

// An album found by a walk: the book part and the album part of its path_t,
// relative to the base of the walk.
using albumdir_t = std::pair<std::string, std::string>;

// The directories that one walk of a book goes into. Each directory is
// entered once, by device and inode, under the name by which the walk meets
// it first, so a link to a directory inside the book stands for that
// directory where the walk's order reaches it before the directory's own
// name; a link back up the tree is never followed. Nothing outside the book
// is entered: a link that leads out of it (or a chain of links that ends
// outside) is not followed. The book itself counts as entered.
class walk_t {
 public:
  explicit walk_t(const std::string& book);
  // Whether the walk goes into dir: true the first time it meets a
  // directory inside the book, false for one already entered, one outside
  // the book and a name that is no directory.
  bool enter(const std::string& dir);
  // Whether dir, followed through its links, is the book or lies inside it.
  bool inside(const std::string& dir) const;

 private:
  std::string root_;  // the book's path with its links resolved, ending with '/'
  std::set<std::pair<unsigned long long, unsigned long long>> entered_;  // device, inode
};

// The subdirectories of dir that a walk starts from: descending byte order,
// without "txt", names beginning with "_", and directories marked secret.
// False, out untouched, when dir cannot be listed.
bool walk_names(std::list<std::string>& out, const std::string& dir);
// The subdirectories of dir whose albums a collection dialog or the picture
// viewer gathers: descending byte order, without "txt" and names beginning
// with "_"; directories marked secret stay at this level (the walk below
// them leaves secret ones out). False, out untouched, when dir cannot be
// listed.
bool collection_names(std::list<std::string>& out, const std::string& dir);

// Appends the albums at and below parent's subdirectories `names`, depth
// first, each level in descending byte order of names; one walk of the
// directory parent names (see walk_t).
void hierar_albums(std::list<albumdir_t>& out, const path_t& parent, std::list<std::string>& names);
// Orders by album name only (plain byte order), keeping the walk order of
// equal names.
void sort_albums(std::list<albumdir_t>& albums);
bool albumdirs_compare(const albumdir_t& a, const albumdir_t& b);
// Appends one record per album, loaded below base.make(); an album whose list
// files are missing is still appended, with empty lists. What cannot be read
// is reported on log.
void load_albums(std::list<album_t>& out, const path_t& base, const std::list<albumdir_t>& albums,
                 libutils::report_log_t& log);

}  // namespace pictora

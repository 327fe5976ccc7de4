// The album viewer: one album laid out as the album editor shows it, with
// every mark, flag and text fixed. Only the picture viewer, the movie
// player and the sound player can be started from it.
#pragma once

#include <gtkmm.h>

#include <string>

#include "app/albumedit.h"
#include "app/picturerow.h"

namespace pictora {

class ViewAlbumDialog : public Gtk::Dialog {
 public:
  ViewAlbumDialog(Gtk::Window& parent, const path_t& album, const std::string& prog_dir);

  // Reads the album and starts building its rows; false when its
  // "original" folder cannot be listed.
  bool make_rows();

  const std::string prog_dir;
  const path_t album;
  texts_panel_t texts;
  album_marks_t marks;
  picture_list_t list;
};

}  // namespace pictora

// The album editor: one album's title, comments and secret mark, and per
// file its comment, its good/normal/fail mark, its five flags and, for
// pictures, a turn. OK and Apply save them all and bring the album up to
// date under the progress window, with the book's good picks when they
// changed; what that does to the disk is app/albumedit.h.
#pragma once

#include <gtkmm.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/albumedit.h"
#include "app/picturerow.h"
#include "app/progwin.h"

namespace pictora {

class EditAlbumDialog : public Gtk::Dialog {
 public:
  EditAlbumDialog(Gtk::Window& parent, const path_t& album, const std::string& prog_dir);

  // Lists the album's files anew and starts building their rows; false when
  // its "original" folder cannot be listed.
  bool make_rows();
  // Every file in order with the turn of its angle.
  std::vector<files_t> selected_files() const { return list.selected_files(); }
  // Whether the last OK or Apply left texts or comments unsaved (the dialog
  // then stays as the user left it); reading it clears it.
  bool take_refusal() { return std::exchange(refused, false); }

  const std::string prog_dir;
  const path_t album;
  texts_panel_t texts;
  album_marks_t marks;
  picture_list_t list;
  ProgWin progwin;

 protected:
  void on_response(int id) override;

 private:
  bool refused = false;
};

// Opens the album editor over parent, and again after each Apply with the
// list where the user left it; done(response) runs after each pass.
void edit_album(Gtk::Window& parent, const path_t& album, const std::string& prog_dir,
                const std::function<void(int response)>& done = nullptr);

}  // namespace pictora

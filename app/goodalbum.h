// The collection dialogs: the good picks of a book ("_Best") and a best book
// ("_PrintBook", "_GoodBook", ...), each picture with its thumbnail, comment,
// flags and caption. Opened for editing (from the book editor) the
// collection's texts and secret mark can be changed and, in the good picks,
// each picture's comment and flags; OK and Apply then save the albums that
// changed, write their pages again and then the collection's page. Opened
// to look (from the main window and the book viewer) Apply still writes the
// pages and OK only closes.
#pragma once

#include <gtkmm.h>

#include <functional>
#include <string>
#include <utility>

#include "app/albumedit.h"
#include "app/picturerow.h"
#include "app/progwin.h"

namespace pictora {

class CollectionDialog : public Gtk::Dialog {
 public:
  // Reads the collection anew and starts building its rows; false when its
  // book cannot be listed.
  bool make_rows();
  bool take_refusal() { return std::exchange(refused, false); }

  const std::string prog_dir;
  const path_t path;
  const bool editable;
  const bool goodpicks;
  const e_bestname_t kind;
  texts_panel_t texts;
  collection_t collection;
  picture_list_t list;
  ProgWin progwin;

 protected:
  CollectionDialog(Gtk::Window& parent, const path_t& collection, const std::string& prog_dir, bool goodpicks,
                   e_bestname_t kind, bool editable);
  void on_response(int id) override;

 private:
  bool refused = false;
};

class GoodAlbumDialog : public CollectionDialog {
 public:
  GoodAlbumDialog(Gtk::Window& parent, const path_t& collection, const std::string& prog_dir, bool editable)
      : CollectionDialog(parent, collection, prog_dir, true, bestname_good, editable) {}
};

// Runs the collection dialog of path (the good picks when goodpicks holds,
// else the best book of kind) over parent, again after each Apply with the
// list where the user left it; done(response) runs after each pass.
void run_collection(Gtk::Window& parent, const path_t& path, const std::string& prog_dir, bool goodpicks,
                    e_bestname_t kind, bool editable, const std::function<void(int response)>& done = nullptr);

}  // namespace pictora

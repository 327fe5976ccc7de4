// The best-book dialog: one classification list gathered over a whole book
// tree, its pictures shown only; the collection's own texts can be edited
// when it is opened from the book editor. See app/goodalbum.h.
#pragma once

#include "app/goodalbum.h"

namespace pictora {

class BestBookDialog : public CollectionDialog {
 public:
  BestBookDialog(Gtk::Window& parent, const path_t& collection, const std::string& prog_dir, e_bestname_t kind,
                 bool editable)
      : CollectionDialog(parent, collection, prog_dir, false, kind, editable) {}
};

}  // namespace pictora

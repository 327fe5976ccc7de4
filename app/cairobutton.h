// A button whose face is a picture (a thumbnail), drawn centred at the
// device's own resolution: on a display with scale factor 2 a 160-pixel
// picture takes 80 logical pixels and keeps all of its pixels.
#pragma once

#include <gtkmm.h>

#include "libgr/imagetype.h"

namespace pictora {

class CairoButton : public Gtk::Button {
 public:
  CairoButton();

  // Shows picture from now on and asks for its size in logical pixels; in
  // a narrower cell it takes the cell's width, the picture cropped on both
  // sides.
  void set(libgr::image2d_t& picture);
  // The size asked for, in logical pixels, until a picture is set.
  void reserve(int width, int height);
  // The size the picture takes, in logical pixels.
  void room(int& width, int& height) const;
  // From now on a cell narrower than the picture takes the button, which
  // then shows the picture cropped on both sides.
  void let_crop() { crop = true; }
  // Lets go of the picture and is drawn as a plain button until the next
  // set; it keeps its size, so that a list around it does not move.
  void forget();

 protected:
  void get_preferred_width_vfunc(int& minimum, int& natural) const override;
  void get_preferred_height_vfunc(int& minimum, int& natural) const override;
  // Paints the picture centred (cropped on both sides when it is larger than
  // the button), in place of the button's own frame. Without a picture (a
  // sound's button, one whose picture is still to come) the button is drawn
  // as a plain one, so that it is seen and can be pressed.
  bool on_draw(const Cairo::RefPtr<Cairo::Context>& context) override;

 private:
  int width = 0, height = 0;  // of the picture, in device pixels
  double scale = 0;           // 1 / the scale factor at the last set; 0 before any
  int reserved_width = 0, reserved_height = 0;
  bool crop = false;
  Glib::RefPtr<Gdk::Pixbuf> pixbuf;
};

}  // namespace pictora

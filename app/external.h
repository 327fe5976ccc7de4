// The picture of an image buffer as a GTK pixbuf, for drawing pictures in
// the windows. (Starting outside programs is app/launch.h, which needs no GTK.)
#pragma once

#include <gdkmm/pixbuf.h>

#include "libgr/imagetype.h"

namespace pictora {

// A top-down pixbuf with its own copy of image's pixels: 8-bit grayscale is
// widened to RGB, 8-bit RGB is taken as it is, 8-bit RGBA keeps its alpha.
// An empty image, or any other pixel format, gives an empty pointer.
Glib::RefPtr<Gdk::Pixbuf> convert_to_pixbuf(const libgr::image2d_t& image);

}  // namespace pictora

#include "app/external.h"

#include "libgr/imageutil.h"

namespace pictora {

Glib::RefPtr<Gdk::Pixbuf> convert_to_pixbuf(const libgr::image2d_t& image) {
  libgr::image2d_t rgb;
  if (image.width == 0 || image.height == 0 || !libgr::grayscale2rgb(rgb, image)) return {};
  // RGBA is accepted too (the windows draw no such pictures today, but a
  // pixbuf can carry the alpha, so nothing is lost).
  const bool alpha = rgb.desc.format == libgr::IMAGE_FORMAT_RGBA;
  if ((rgb.desc.format != libgr::IMAGE_FORMAT_RGB && !alpha) || rgb.desc.bits != libgr::IMAGE_BITS_8)
    return {};
  const Glib::RefPtr<Gdk::Pixbuf> rows = Gdk::Pixbuf::create_from_data(
      rgb.row(0), Gdk::COLORSPACE_RGB, alpha, 8, static_cast<int>(rgb.width), static_cast<int>(rgb.height),
      static_cast<int>(rgb.rowsize()));
  // The buffer's rows are bottom-up; flipping makes the pixbuf top-down and
  // gives it its own pixels, so it outlives rgb.
  return rows->flip(false);
}

}  // namespace pictora

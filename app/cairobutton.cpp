#include "app/cairobutton.h"

#include <algorithm>
#include <cmath>

#include "app/external.h"

namespace pictora {

CairoButton::CairoButton() = default;

void CairoButton::set(libgr::image2d_t& picture) {
  // The pixbuf has its own copy of the pixels; the button keeps no other.
  pixbuf = convert_to_pixbuf(picture);
  width = static_cast<int>(picture.width);
  height = static_cast<int>(picture.height);
  scale = 1.0 / get_scale_factor();
  room(reserved_width, reserved_height);
  queue_resize();
}

void CairoButton::reserve(int width, int height) {
  reserved_width = width;
  reserved_height = height;
  queue_resize();
}

void CairoButton::room(int& room_width, int& room_height) const {
  room_width = static_cast<int>(width * scale);
  room_height = static_cast<int>(height * scale);
}

void CairoButton::get_preferred_width_vfunc(int& minimum, int& natural) const {
  // Nothing reserved: a plain button's size.
  if (reserved_width == 0) return Gtk::Button::get_preferred_width_vfunc(minimum, natural);
  natural = reserved_width;
  minimum = crop ? std::min(natural, 32) : natural;
}

void CairoButton::get_preferred_height_vfunc(int& minimum, int& natural) const {
  if (reserved_height == 0) return Gtk::Button::get_preferred_height_vfunc(minimum, natural);
  minimum = natural = reserved_height;
}

void CairoButton::forget() {
  pixbuf.reset();
  queue_draw();
}

bool CairoButton::on_draw(const Cairo::RefPtr<Cairo::Context>& context) {
  if (scale == 0 || !pixbuf) return Gtk::Button::on_draw(context);
  const int factor = get_scale_factor();
  // The offset is found in logical pixels and applied inside the context
  // scaled down to device pixels, hence the multiplication back.
  const double x = std::trunc((get_allocated_width() - width * scale) * 0.5) * factor;
  const double y = std::trunc((get_allocated_height() - height * scale) * 0.5) * factor;
  context->scale(scale, scale);
  Gdk::Cairo::set_source_pixbuf(context, pixbuf, x, y);
  context->paint();
  return true;
}

}  // namespace pictora

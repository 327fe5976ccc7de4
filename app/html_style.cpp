#include "app/html_style.h"

#include "app/global.h"

namespace pictora {

const page_style_t& page_style() {
  return g_global.page_style == page_style_responsive ? responsive_style() : classic_style();
}

}  // namespace pictora

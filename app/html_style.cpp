#include "app/html_style.h"

namespace pictora {

std::unique_ptr<page_style_t> make_page_style(const build_context_t& ctx) {
  return ctx.settings.page_style == page_style_responsive ? make_responsive_style(ctx) : make_classic_style(ctx);
}

}  // namespace pictora

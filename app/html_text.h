// Text and addresses as the generated pages write them: the one HTML
// escaper for text that comes from file and folder names or from inside
// files, and the one encoder of relative URLs, so that a link works for
// every name the file system allows.
#pragma once

#include <string>

namespace pictora {

// text with '&', '<', '>' and '"' written as character references: a name
// shown on a page is text, never markup. (Every attribute of the pages is
// quoted with '"', so '\'' needs none.)
std::string html_text(const std::string& text);

// Where a URL stands in a page: href and src keep a space as it is (the
// browser encodes it, and the pages of ordinary names keep their bytes), a
// srcset candidate must not hold one, nor a comma (both separate
// candidates).
enum class url_context_t { link, srcset };

// The relative path `path` ('/' between its parts) as a URL path: every
// byte but letters, digits, '-', '.', '_', '~' and '/' (and in a link the
// space) is written as %XX, so that '#', '?', '%', '\', '"', ':', control
// characters and bytes that are not UTF-8 all reach the file of that name.
// The result holds nothing that HTML would read as markup.
std::string url_path(const std::string& path, url_context_t context = url_context_t::link);

// An id for the element of a file's entry, made of letters, digits, '-' and
// '.' only, one for each name: the zoom pages lead back to it.
std::string entry_id(const std::string& name);

}  // namespace pictora

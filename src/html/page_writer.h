// net2html's page: one HTML file that holds its script, its styles and the
// replay's data, so that it opens from disk with nothing fetched.
#ifndef MAROVEL_HTML_PAGE_WRITER_H_
#define MAROVEL_HTML_PAGE_WRITER_H_

#include <ostream>
#include <string>
#include <vector>

#include "html/layout.h"
#include "html/replay_data.h"

namespace marovel {

struct PageText {
  std::string title;                 // the input's name
  std::vector<std::string> summary;  // lines, as marovel -v words them
};

// Writes the page; `layout` is null for a net without a picture. Returns
// whether the stream took it all.
bool write_page(const ReplayData& data, const Layout* layout,
                const PageText& text, std::ostream& out);

// `text` as a JSON string that may stand inside a <script> element: '<' is
// written \u003c, so that no "</script" can end the element early.
std::string json_string(std::string_view text);

}  // namespace marovel

#endif  // MAROVEL_HTML_PAGE_WRITER_H_

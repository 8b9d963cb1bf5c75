#include "netfile/named_lists.h"

#include "netfile/net_file.h"
#include "netfile/net_file_scanner.h"
#include "xml/xml_escape.h"
#include "xml/xml_parser.h"

namespace marovel {
namespace {

// `<LIST><MEMBER name="N"><info>N</info></MEMBER>...</LIST>`.
void append_list(std::string& text, NetList list, std::string_view member,
                 std::span<const std::string> names) {
  const std::string_view list_name = list_element_name(list);
  text.append("<").append(list_name).append(">");
  for (const std::string& name : names) {
    text.append("<").append(member).append(" name=\"");
    append_escaped(text, name, /*in_attribute=*/true);
    text.append("\"><info>");
    append_escaped(text, name, /*in_attribute=*/false);
    text.append("</info></").append(member).append(">");
  }
  text.append("</").append(list_name).append(">");
}

}  // namespace

Status scan_named_lists(std::span<const std::string> places,
                        std::span<const std::string> transitions,
                        InputNet& input) {
  std::string text;
  text.append("<").append(kNetRoot).append(">");
  append_list(text, NetList::kPlaces, "place", places);
  append_list(text, NetList::kTransitions, "transition", transitions);
  text.append("</").append(kNetRoot).append(">");
  NetFileScanner scanner(input, /*receiver=*/nullptr);
  if (Status status = parse_xml_string(text, scanner); !status.ok())
    return status;
  scanner.finish();
  return Status();
}

}  // namespace marovel

// Writes a generated net as a PNML place/transition net laid out the way
// editors save them: names, positions, markings and inscriptions, the nodes
// spread over pages nested in one top page, and every arc on the page of its
// transition, reaching a place drawn on another page through a
// referencePlace. The same net always gives the same bytes.
#ifndef MAROVEL_BENCH_PNML_WRITER_H_
#define MAROVEL_BENCH_PNML_WRITER_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bench/net_generator.h"

namespace marovel::bench {

namespace detail {

// Node k of `count` on page `k * pages / count`, so that nodes made one
// after the other, which the families mostly join, share a page.
inline size_t page_of(size_t k, size_t count, size_t pages) {
  return count == 0 ? 0 : k * pages / count;
}

inline void write_pnml_node(std::ostream& out, std::string_view element,
                            const std::string& id, size_t k, uint32_t marking) {
  out << "        <" << element << " id=\"" << id << "\">\n"
      << "          <name>\n"
      << "            <text>" << element << ' ' << k << "</text>\n"
      << "            <graphics><offset x=\"0\" y=\"-10\"/></graphics>\n"
      << "          </name>\n"
      << "          <graphics><position x=\"" << (k % 40) * 60 + 30 << "\" y=\""
      << (k / 40 % 40) * 60 + 30 << "\"/></graphics>\n";
  if (marking != 0)
    out << "          <initialMarking><text>" << marking
        << "</text></initialMarking>\n";
  out << "        </" << element << ">\n";
}

}  // namespace detail

// `nodes_per_page` bounds the places and the transitions of one page each.
inline void write_pnml(const GeneratedNet& net, std::string_view net_id,
                       std::ostream& out, size_t nodes_per_page = 2000) {
  const size_t places = net.place_names.size();
  const size_t transitions = net.transition_names.size();
  const size_t pages = std::max<size_t>(
      1, (std::max(places, transitions) + nodes_per_page - 1) / nodes_per_page);
  std::vector<std::vector<size_t>> arcs_of_page(pages);
  for (size_t a = 0; a < net.arcs.size(); ++a)
    arcs_of_page[detail::page_of(net.arcs[a].transition, transitions, pages)]
        .push_back(a);

  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<pnml xmlns=\"http://www.pnml.org/version-2009/grammar/pnml\">\n"
         "  <net id=\""
      << net_id
      << "\" type=\"http://www.pnml.org/version-2009/grammar/ptnet\">\n"
         "    <name><text>"
      << net_id
      << "</text></name>\n"
         "    <page id=\"top\">\n";
  size_t place = 0, transition = 0;
  for (size_t page = 0; page < pages; ++page) {
    out << "      <page id=\"g" << page << "\">\n";
    for (; place < places && detail::page_of(place, places, pages) == page;
         ++place) {
      const uint32_t marking =
          place % 7 == 0 ? static_cast<uint32_t>(place % 5 + 1) : 0;
      detail::write_pnml_node(out, "place", net.place_names[place], place,
                              marking);
    }
    for (; transition < transitions &&
           detail::page_of(transition, transitions, pages) == page;
         ++transition)
      detail::write_pnml_node(out, "transition",
                              net.transition_names[transition], transition, 0);
    // One reference per place from elsewhere, before the arcs that use it.
    std::map<uint32_t, std::string> references;
    for (const size_t a : arcs_of_page[page]) {
      const uint32_t p = net.arcs[a].place;
      if (detail::page_of(p, places, pages) == page || references.contains(p))
        continue;
      std::string id(1, 'r');
      id += std::to_string(page);
      id += '_';
      id += net.place_names[p];
      out << "        <referencePlace id=\"" << id << "\" ref=\""
          << net.place_names[p] << "\"/>\n";
      references.emplace(p, std::move(id));
    }
    for (const size_t a : arcs_of_page[page]) {
      const GeneratedArc& arc = net.arcs[a];
      const auto reference = references.find(arc.place);
      const std::string& place_id = reference == references.end()
                                        ? net.place_names[arc.place]
                                        : reference->second;
      const std::string& transition_id = net.transition_names[arc.transition];
      out << "        <arc id=\"a" << a << "\" source=\""
          << (arc.from_place ? place_id : transition_id) << "\" target=\""
          << (arc.from_place ? transition_id : place_id) << "\"";
      if (arc.weight == 1) {
        out << "/>\n";
        continue;
      }
      out << ">\n          <inscription><text>" << arc.weight
          << "</text></inscription>\n        </arc>\n";
    }
    out << "      </page>\n";
  }
  out << "    </page>\n  </net>\n</pnml>\n";
}

}  // namespace marovel::bench

#endif  // MAROVEL_BENCH_PNML_WRITER_H_

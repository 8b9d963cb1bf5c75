// Writes a generated net file: gen_net FAMILY NODES SEED OUTPUT. An OUTPUT
// ending in ".pnml" gets the net as PNML and the line "P places, T
// transitions, A arcs"; any other gets marovel's format and the arc count.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "bench/net_generator.h"
#include "bench/pnml_writer.h"

int main(int argc, char** argv) {
  using namespace marovel::bench;
  if (argc != 5) {
    std::cerr << "usage: gen_net FAMILY NODES SEED OUTPUT\n";
    return 2;
  }
  const std::string wanted = argv[1];
  for (Family family : kFamilies) {
    if (family_name(family) != wanted) continue;
    const GeneratedNet net =
        generate_net(family, std::strtoull(argv[2], nullptr, 10),
                     std::strtoull(argv[3], nullptr, 10));
    std::vector<char> buffer(1 << 20);
    std::ofstream out;
    out.rdbuf()->pubsetbuf(buffer.data(), static_cast<long>(buffer.size()));
    out.open(argv[4], std::ios::binary | std::ios::trunc);
    const bool pnml = std::string_view(argv[4]).ends_with(".pnml");
    if (pnml) {
      write_pnml(net, wanted + "-" + argv[2] + "-" + argv[3], out);
    } else {
      write_net_xml(net, out);
    }
    out.close();
    if (!out) {
      std::cerr << "cannot write " << argv[4] << "\n";
      return 1;
    }
    // The counts, for the benchmark tables.
    if (pnml) {
      std::cout << net.place_names.size() << " places, "
                << net.transition_names.size() << " transitions, "
                << net.arcs.size() << " arcs\n";
    } else {
      std::cout << net.arcs.size() << "\n";
    }
    return 0;
  }
  std::cerr << "unknown family " << wanted << "\n";
  return 2;
}

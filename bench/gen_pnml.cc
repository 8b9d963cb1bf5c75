// Writes a generated net as a PNML file: gen_pnml FAMILY NODES SEED OUTPUT.
// Prints the file's places, transitions and arcs, for the benchmark notes.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "bench/net_generator.h"
#include "bench/pnml_writer.h"

int main(int argc, char** argv) {
  using namespace marovel::bench;
  if (argc != 5) {
    std::cerr << "usage: gen_pnml FAMILY NODES SEED OUTPUT\n";
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
    write_pnml(net, wanted + "-" + argv[2] + "-" + argv[3], out);
    out.close();
    if (!out) {
      std::cerr << "cannot write " << argv[4] << "\n";
      return 1;
    }
    std::cout << net.place_names.size() << " places, "
              << net.transition_names.size() << " transitions, "
              << net.arcs.size() << " arcs\n";
    return 0;
  }
  std::cerr << "unknown family " << wanted << "\n";
  return 2;
}

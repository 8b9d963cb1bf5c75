// Writes a generated net file: gen_net FAMILY NODES SEED OUTPUT.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "bench/net_generator.h"

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
    write_net_xml(net, out);
    out.close();
    if (!out) {
      std::cerr << "cannot write " << argv[4] << "\n";
      return 1;
    }
    // The arc count, for the benchmark table.
    std::cout << net.arcs.size() << "\n";
    return 0;
  }
  std::cerr << "unknown family " << wanted << "\n";
  return 2;
}

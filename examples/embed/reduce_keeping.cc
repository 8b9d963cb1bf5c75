// Reads a marovel net file, reduces it while keeping the nodes named on the
// command line, prints the survivors with the input nodes each stands for,
// and writes the reduced net as PNML.
//
//   reduce_keeping NET.xml OUT.pnml [NODE...]
#include <marovel/marovel.h>

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: reduce_keeping NET.xml OUT.pnml [NODE...]\n";
    return 2;
  }
  try {
    marovel::Net net = marovel::Net::read(argv[1]);
    marovel::Options options;
    options.keep.assign(argv + 3, argv + argc);
    const marovel::Report report = net.reduce(options);
    std::cout << "stopped: " << report.stopped << "\n";
    for (const auto& [node, members] : net.aggregates()) {
      std::cout << node << ":";
      for (const std::string& member : members) std::cout << " " << member;
      std::cout << "\n";
    }
    net.write_pnml(argv[2]);
  } catch (const marovel::Error& error) {
    std::cerr << "reduce_keeping: " << error.what();
    if (!error.detail().empty()) std::cerr << " (" << error.detail() << ")";
    std::cerr << "\n";
    return 1;
  }
  return 0;
}

// Times the phases of a PNML conversion on one file:
// pnml_phases INPUT.pnml OUTPUT.xml. Prints one line per phase, its name and
// seconds; each phase is run once, in a fresh state.
#include <chrono>
#include <iostream>
#include <memory>
#include <string>

#include "pnml/net_file_writer.h"
#include "pnml/pnml_reader.h"
#include "writer/safe_file.h"
#include "xml/xml_document.h"

namespace {

template <typename F>
double timed(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: pnml_phases INPUT.pnml OUTPUT.xml\n";
    return 2;
  }
  using namespace marovel;
  std::string error;
  bool ok = true;
  auto doc = std::make_unique<XmlDocument>();
  std::cout << "load_xml_file "
            << timed([&] { ok = load_xml_file(argv[1], *doc, error); }) << "\n";
  PtNet net;
  if (ok)
    std::cout << "read_pnml "
              << timed([&] { ok = read_pnml(*doc, "", net, error); }) << "\n";
  if (!ok) {
    std::cerr << error << "\n";
    return 1;
  }
  SafeFile file(argv[2]);
  std::cout << "write_net_file "
            << timed([&] { ok = write_net_file(net, file.stream()); }) << "\n";
  std::cout << "commit " << timed([&] { ok = file.commit() && ok; }) << "\n";
  std::cout << "free_document " << timed([&] { doc.reset(); }) << "\n";
  return ok ? 0 : 1;
}

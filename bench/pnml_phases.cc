// Times the phases of a PNML conversion on one file:
// pnml_phases INPUT.pnml OUTPUT.xml. Prints one line per phase: its name,
// wall-clock seconds and CPU seconds (which a busy machine inflates less).
// The XML load alone comes first for comparison, then what pnml2net does:
// the read while parsing, the writing and the save.
#include <time.h>

#include <chrono>
#include <iostream>
#include <memory>
#include <string>

#include "base/safe_file.h"
#include "pnml/net_file_writer.h"
#include "pnml/pnml_reader.h"
#include "xml/xml_document.h"

namespace {

double cpu_seconds() {
  timespec now;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) +
         1e-9 * static_cast<double>(now.tv_nsec);
}

template <typename F>
std::string timed(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  const double cpu_start = cpu_seconds();
  f();
  const double cpu = cpu_seconds() - cpu_start;
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  return std::to_string(wall) + " " + std::to_string(cpu);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: pnml_phases INPUT.pnml OUTPUT.xml\n";
    return 2;
  }
  using namespace marovel;
  Status status;
  std::cout << "load_xml_file " << timed([&] {
    XmlDocument doc;
    status = load_xml_file(argv[1], doc);
  }) << "\n";
  PtNet net;
  if (status.ok())
    std::cout << "read_pnml_file "
              << timed([&] { status = read_pnml_file(argv[1], "", net); })
              << "\n";
  if (!status.ok()) {
    std::cerr << status.message() << "\n";
    return 1;
  }
  bool ok = true;
  SafeFile file(argv[2]);
  std::cout << "write_net_file "
            << timed([&] { ok = write_net_file(net, file.stream()); }) << "\n";
  std::cout << "commit " << timed([&] { ok = file.commit() && ok; }) << "\n";
  std::cout << "free_net " << timed([&] { PtNet gone = std::move(net); })
            << "\n";
  return ok ? 0 : 1;
}

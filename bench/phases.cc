// Times each phase of a run on one net file: phases NET_FILE OUTPUT_FILE.
// Prints one line per phase: its name and seconds.
#include <chrono>
#include <iostream>
#include <memory>
#include <sstream>
#include <utility>

#include "model/consistency.h"
#include "model/net_model.h"
#include "model/step_footprint.h"
#include "reader/load_document.h"
#include "reader/net_reader.h"
#include "reduce/match_index.h"
#include "reduce/reduction.h"
#include "writer/net_writer.h"
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
    std::cerr << "usage: phases NET_FILE OUTPUT_FILE\n";
    return 2;
  }
  using namespace marovel;
  auto owned = std::make_unique<InputDocument>();
  InputDocument& input = *owned;
  std::cout << "load_document "
            << timed([&] { load_document(argv[1], input.document); }) << "\n";
  NetModel model;
  bool read = false;
  std::cout << "read_net_document " << timed([&] {
    read = read_net_document(input.document, model, std::cerr, &input.elements);
  }) << "\n";
  if (!read) return 1;
  std::cout << "check_consistency " << timed([&] { check_consistency(model); })
            << "\n";
  std::cout << "is_closed_and_mirrored "
            << timed([&] { is_closed_and_mirrored(model); }) << "\n";
  std::cout << "index_build "
            << timed([&] { MatchIndex index(model, RuleSet::all()); }) << "\n";
  std::ostringstream log, out;
  std::cout << "run_reduction " << timed([&] {
    run_reduction(model, RuleSet::all(), 2000000, &log, out,
                  /*known_closed_and_mirrored=*/true);
  }) << "\n";
  std::cout << "write_reduced_net " << timed([&] {
    write_reduced_net(argv[1], argv[2], model, out, &input);
  }) << "\n";
  std::cout << "destroy_model "
            << timed([&] { NetModel gone = std::move(model); }) << "\n";
  std::cout << "destroy_document " << timed([&] { owned.reset(); }) << "\n";
  return 0;
}

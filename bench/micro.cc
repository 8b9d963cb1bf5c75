// Micro-benchmarks of the pieces a run spends its time in: loading the
// document, reading it into the model, the rule applications of the step
// loop, and writing the reduced document.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <streambuf>
#include <string>

#include "bench/net_generator.h"
#include "model/net_model.h"
#include "reader/net_reader_for_testing.h"
#include "reduce/reducer.h"
#include "writer/net_writer_for_testing.h"
#include "xml/xml_document.h"

namespace {

using namespace marovel;

std::string net_text(bench::Family family, size_t nodes) {
  std::ostringstream text;
  bench::write_net_xml(bench::generate_net(family, nodes, 1), text);
  return text.str();
}

NetModel model_from(const std::string& text) {
  XmlDocument doc;
  if (!load_xml_string(text, doc).ok()) std::abort();
  NetModel model;
  if (!read_net_document(doc, model).ok()) std::abort();
  return model;
}

// A stream that drops what it is given.
class NullBuffer : public std::streambuf {
 protected:
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
  int overflow(int c) override { return c; }
};

void BM_LoadDocument(benchmark::State& state) {
  const std::string text =
      net_text(bench::Family::kRandom, static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    XmlDocument doc;
    benchmark::DoNotOptimize(load_xml_string(text, doc).ok());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_LoadDocument)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

void BM_ReadNet(benchmark::State& state) {
  const std::string text =
      net_text(bench::Family::kRandom, static_cast<size_t>(state.range(0)));
  XmlDocument doc;
  if (!load_xml_string(text, doc).ok()) std::abort();
  for (auto _ : state) {
    NetModel model;
    benchmark::DoNotOptimize(read_net_document(doc, model).ok());
  }
}
BENCHMARK(BM_ReadNet)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A whole reduction, reported per rule application.
void BM_Reduce(benchmark::State& state, bench::Family family) {
  const NetModel net =
      model_from(net_text(family, static_cast<size_t>(state.range(0))));
  int64_t applications = 0;
  for (auto _ : state) {
    state.PauseTiming();
    NetModel model = net;
    std::ostringstream log;
    state.ResumeTiming();
    run_reduction(model, {.log = &log});
    state.PauseTiming();
    const std::string lines = log.str();
    applications += std::count(lines.begin(), lines.end(), '\n');
    { NetModel gone = std::move(model); }
    state.ResumeTiming();
  }
  state.counters["per_application"] = benchmark::Counter(
      static_cast<double>(applications),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK_CAPTURE(BM_Reduce, chains, bench::Family::kChains)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reduce, twins, bench::Family::kTwins)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reduce, random, bench::Family::kRandom)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

void BM_WriteDocument(benchmark::State& state) {
  const std::string text =
      net_text(bench::Family::kRandom, static_cast<size_t>(state.range(0)));
  XmlDocument doc;
  if (!load_xml_string(text, doc).ok()) std::abort();
  NetModel model;
  InputNet input;
  if (!read_net_document(doc, model, &input).ok()) std::abort();
  std::ostringstream log;
  run_reduction(model, {.log = &log});
  NullBuffer null;
  std::ostream sink(&null);
  for (auto _ : state) {
    std::ostringstream messages;
    benchmark::DoNotOptimize(
        write_reduced_document(input, model, "date", messages, sink).ok());
  }
}
BENCHMARK(BM_WriteDocument)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

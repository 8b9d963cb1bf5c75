#include "driver/run.h"

#include <malloc.h>
#include <wx/init.h>
#include <wx/log.h>

#include <chrono>
#include <clocale>
#include <new>
#include <string_view>

#include "base/file_identity.h"
#include "base/quoted.h"
#include "base/version.h"
#include "driver/command_line.h"
#include "driver/file_names.h"
#include "driver/run_summary.h"
#include "driver/settings.h"
#include "model/net_model.h"
#include "model/net_summary.h"
#include "netfile/input_net.h"
#include "netfile/net_file.h"
#include "reader/net_reader.h"
#include "reduce/reducer.h"
#include "writer/net_writer.h"

namespace marovel {
namespace {

constexpr int kRefused = -1;               // the run did not start
constexpr int kRan = 1;                    // the reduced net was written, or -h
constexpr int kFailed = kFailedRunStatus;  // started, wrote no reduced net

// Initialises the base library for the life of the object.
class WxLibrary {
 public:
  WxLibrary() : ok_(wxInitialize()) {}
  ~WxLibrary() {
    if (ok_) wxUninitialize();
  }
  WxLibrary(const WxLibrary&) = delete;
  WxLibrary& operator=(const WxLibrary&) = delete;
  bool ok() const { return ok_; }
  // Leaves the library as it is: after running out of memory inside it,
  // its shutdown may find its own state half made. The process is ending.
  void abandon() { ok_ = false; }

 private:
  bool ok_;
};

// Hands the pages the heap holds free back to the system, between phases.
// A phase frees much (the read its scanner's and builder's working memory,
// the reduction its match index), and what it frees on a heap the next
// phase does not allocate from (each core's thread has its own) would
// otherwise stay resident through that phase and add to the run's peak.
void give_back_free_pages() {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}

// Shows a failed phase: the library's reason through the library's logging
// (a failed write's reason in one line of our own, which names the file),
// then the system's own message on `out`, or on `err` for the failures that
// have no message of the original set.
void report(const Status& status, std::ostream& out, std::ostream& err) {
  if (status.code() == Status::Code::kWriteFailed) {
    err << "marovel: " << status.detail() << "\n";
  } else if (!status.detail().empty()) {
    wxLogError("%s", wxString::FromUTF8(status.detail()));
  }
  if (status.code() == Status::Code::kLimit) {
    err << "marovel: " << status.message() << "\n";
  } else {
    out << status.message();
  }
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
      .count();
}

enum class Phase { kRead, kReduce, kWrite };

const char* phase_name(Phase phase) {
  switch (phase) {
    case Phase::kRead:
      return "reading the net";
    case Phase::kReduce:
      return "reducing the net";
    case Phase::kWrite:
      return "writing the reduced net";
  }
  return "";
}

// Reads, reduces and writes; returns the exit status. `phase` tells, should
// memory run out, how far the run got.
int run_phases(Settings& settings, const std::string& input_path,
               const std::string& output_path, Phase& phase,
               RunSummary& summary, std::ostream& out, std::ostream& err) {
  using Clock = std::chrono::steady_clock;
  phase = Phase::kRead;
  Clock::time_point start = Clock::now();
  NetModel model;
  InputNet input;
  const Status read = read_net(input_path, model, input);
  summary.read_seconds = seconds_since(start);
  if (!read.ok()) {
    report(read, out, err);
    if (is_pnml_root(input.root_name))
      err << "marovel: " << quoted(input_path)
          << " is a PNML file: convert it with pnml2net first, then reduce "
             "the net file it writes\n";
    return kFailed;
  }
  summary.input = size_of(model);

  give_back_free_pages();
  phase = Phase::kReduce;
  start = Clock::now();
  ReductionSettings reduction_settings;
  reduction_settings.rules = settings.rules;
  reduction_settings.max_steps = settings.max_steps;
  reduction_settings.log =
      settings.log_enabled ? &settings.reduction_log : nullptr;
  reduction_settings.known_closed_and_mirrored = true;
  const ReductionReport reduction = run_reduction(model, reduction_settings);
  summary.reduce_seconds = seconds_since(start);
  for (const ReductionReport::Fault& fault : reduction.faults)
    out << fault_message(fault);
  summary.reduction = reduction;
  summary.max_steps = settings.max_steps;
  summary.left = size_of(model);
  summary.largest = largest_aggregate(model);
  if (summary.largest)
    summary.largest_name = std::string(model.name(summary.largest->name));

  give_back_free_pages();
  phase = Phase::kWrite;
  start = Clock::now();
  out << "\n p_map size :" << model.p_map.size()
      << "\n t_map size :" << model.t_map.size();
  const Status written =
      write_reduced_net(input_path, output_path, model, out, &input);
  summary.write_seconds = seconds_since(start);
  if (!written.ok()) {
    report(written, out, err);
    return kFailed;
  }
  summary.output = output_path;
  // A reduction that found the net inconsistent wrote a net that cannot be
  // trusted: the run failed, though its output stands.
  return reduction.faults.empty() ? kRan : kFailed;
}

// Everything between a successful initialisation and the shutdown.
int run_initialised(int argc, char** argv, std::ostream& out,
                    std::ostream& err) {
  const CommandLine line = parse_command_line(arguments_from_bytes(argc, argv));
  if (line.status == CommandLine::Status::kHelp) return kRan;
  if (line.status == CommandLine::Status::kError) {
    out << "Parsing error\n";
    return kRefused;
  }

  const wxFileName input_file_name(line.input);
  const std::string input_path = to_native_bytes(input_file_name.GetFullPath());
  if (!input_file_name.IsOk() || !is_readable_regular_file(input_path)) {
    out << "Can't open input file\n";
    return kRefused;
  }

  Settings settings;
  if (line.output) {
    settings.output_file_name = wxFileName(*line.output);
  } else {
    settings.output_file_name = derive_output_name(input_file_name);
  }
  if (!settings.output_file_name.IsOk()) out << "Wrong output file name\n";
  const std::string output_path =
      to_native_bytes(settings.output_file_name.GetFullPath());

  // The letters as bytes: a character beyond ASCII is bytes of 0x80 and up,
  // which name no rule, as the character does not.
  settings.rules = line.rules
                       ? RuleSet::from_letters(to_native_bytes(*line.rules))
                       : RuleSet::all();
  if (line.steps) settings.max_steps = *line.steps;

  // A run that ends without writing its output lets go of a reader waiting
  // on it, as a writer's failed check does, so that no pipeline hangs.
  bool written = false;
  struct ReleaseOutput {
    const std::string& path;
    const bool& written;
    ~ReleaseOutput() {
      if (!written) release_fifo_reader(path);
    }
  } release{output_path, written};

  // Nothing is created before the names are known to be apart: the output
  // would replace the input, and opening the log truncates it.
  if (same_file(output_path, input_path)) {
    out << "Output file would overwrite input file\n";
    return kRefused;
  }
  if (line.log) {
    const wxFileName log_file_name = derive_log_name(input_file_name);
    if (!log_file_name.IsOk()) out << "Wrong log graph file name\n";
    const std::string log_path = to_native_bytes(log_file_name.GetFullPath());
    if (same_file(log_path, input_path)) {
      out << "Log file would overwrite input file\n";
      return kRefused;
    }
    if (same_file(output_path, log_path)) {
      out << "Output file would overwrite log file\n";
      return kRefused;
    }
    settings.log_enabled = true;
    settings.reduction_log.open(log_path, std::ios::out | std::ios::trunc);
    if (settings.reduction_log.fail()) settings.log_enabled = false;
  }

  Phase phase = Phase::kRead;
  RunSummary summary;
  int status = kFailed;
  try {
    status =
        run_phases(settings, input_path, output_path, phase, summary, out, err);
  } catch (const std::bad_alloc&) {
    // What the phase had begun is dropped on the way here: the output is
    // left as it was.
    out.flush();
    err << "marovel: out of memory while " << phase_name(phase) << "\n";
    return kFailed;
  }
  written = summary.output.has_value();
  if (line.verbose) {
    out.flush();
    print_run_summary(summary, err);
  }
  return status;
}

}  // namespace

int run_marovel(int argc, char** argv, std::ostream& out, std::ostream& err) {
  // Alone, as the companions take it; the parser's table and usage text
  // stay as they are.
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    out << kProgramVersion << "\n";
    return 0;
  }
  // Arguments, file names and messages are UTF-8 whatever the environment
  // says; the date and numbers keep the C locale.
  std::setlocale(LC_CTYPE, "C.UTF-8");
  WxLibrary library;
  if (!library.ok()) return kRefused;
  int status = kRefused;
  try {
    status = run_initialised(argc, argv, out, err);
  } catch (const std::bad_alloc&) {
    library.abandon();
    throw;
  }
  out.flush();
  return status;
}

}  // namespace marovel

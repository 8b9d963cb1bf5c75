#include "driver/run.h"

#include <wx/init.h>

#include <clocale>
#include <memory>

#include "driver/command_line.h"
#include "driver/file_names.h"
#include "driver/settings.h"
#include "model/net_model.h"
#include "reader/net_reader.h"
#include "reduce/reduction.h"
#include "writer/net_writer.h"

namespace marovel {
namespace {

constexpr int kRefused = -1;
constexpr int kRan = 1;

// Sets the flag of every rule whose letter `letters` holds in either case.
RuleSet rules_from_letters(const wxString& letters) {
  RuleSet rules;
  const char kLetters[] = "ABCDEF";
  for (size_t i = 0; i < kRuleCount; ++i) {
    const wxUniChar upper = kLetters[i];
    const wxUniChar lower = kLetters[i] - 'A' + 'a';
    if (letters.Find(upper) != wxNOT_FOUND ||
        letters.Find(lower) != wxNOT_FOUND)
      rules.enabled[i] = true;
  }
  return rules;
}

// Everything between a successful initialisation and the shutdown.
int run_initialised(int argc, char** argv, std::ostream& out) {
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

  settings.rules =
      line.rules ? rules_from_letters(*line.rules) : RuleSet::all();
  if (line.steps) settings.max_steps = *line.steps;

  if (line.log) {
    settings.log_enabled = true;
    settings.log_file_name = derive_log_name(input_file_name);
    if (!settings.log_file_name.IsOk()) out << "Wrong log graph file name\n";
    const std::string log_path =
        to_native_bytes(settings.log_file_name.GetFullPath());
    // Opening the log truncates it: never when it is the input itself.
    if (same_file(log_path, input_path)) {
      out << "Log file would overwrite input file\n";
      return kRefused;
    }
    settings.reduction_log.open(log_path, std::ios::out | std::ios::trunc);
    if (settings.reduction_log.fail()) settings.log_enabled = false;
  }

  NetModel model;
  InputDocument input;
  if (read_net(input_path, model, input, out) &&
      run_reduction(model, settings.rules, settings.max_steps,
                    settings.log_enabled ? &settings.reduction_log : nullptr,
                    out, /*known_closed_and_mirrored=*/true)) {
    write_reduced_net(input_path,
                      to_native_bytes(settings.output_file_name.GetFullPath()),
                      model, out, &input);
  }
  return kRan;
}

}  // namespace

int run_marovel(int argc, char** argv, std::ostream& out) {
  // Arguments, file names and messages are UTF-8 whatever the environment
  // says; the date and numbers keep the C locale.
  std::setlocale(LC_CTYPE, "C.UTF-8");
  if (!wxInitialize()) return kRefused;
  const int status = run_initialised(argc, argv, out);
  out.flush();
  wxUninitialize();
  return status;
}

}  // namespace marovel

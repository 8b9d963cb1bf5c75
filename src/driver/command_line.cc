#include "driver/command_line.h"

#include <wx/cmdline.h>
#include <wx/msgout.h>
#include <wx/strconv.h>

#include <limits>
#include <memory>
#include <string>

#include "base/version.h"
#include "reduce/rule_set.h"

namespace marovel {
namespace {

const std::string kRulesHelp = "allowed reducing rules ([" +
                               std::string(RuleSet::letters()) +
                               "], default all)";

const wxCmdLineEntryDesc kCommandLineTable[] = {
    {wxCMD_LINE_SWITCH, "h", "help", "print help message", wxCMD_LINE_VAL_NONE,
     wxCMD_LINE_OPTION_HELP},
    {wxCMD_LINE_SWITCH, "v", "verbose", "be verbose (not used)",
     wxCMD_LINE_VAL_NONE, 0},
    {wxCMD_LINE_OPTION, "o", "output", "output file", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_SWITCH, "l", "log", "make logfile", wxCMD_LINE_VAL_NONE, 0},
    {wxCMD_LINE_OPTION, nullptr, "rules", kRulesHelp.c_str(),
     wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_OPTION, nullptr, "steps", "make only given number of steps",
     wxCMD_LINE_VAL_NUMBER, 0},
    {wxCMD_LINE_PARAM, nullptr, nullptr, "input file", wxCMD_LINE_VAL_STRING,
     0},
    {wxCMD_LINE_NONE, nullptr, nullptr, nullptr, wxCMD_LINE_VAL_NONE, 0},
};

const char kLogo[] =
    "This program tries to reduce Petri net according to given "
    "transformations.  " MAROVEL_VERSION_LINE
    ", a command-line build by the marovel developers.";

// Invalid UTF-8 bytes map to a private-use range and back, so no file name
// is lost whatever the locale.
wxMBConvUTF8& byte_converter() {
  static wxMBConvUTF8 converter(wxMBConvUTF8::MAP_INVALID_UTF8_TO_PUA);
  return converter;
}

// Hands `args` to `parser` as the wide argument vector it copies.
void set_arguments(wxCmdLineParser& parser, const std::vector<wxString>& args) {
  std::vector<std::wstring> storage(args.begin(), args.end());
  std::vector<wxChar*> argv;
  for (std::wstring& arg : storage) argv.push_back(arg.data());
  argv.push_back(nullptr);
  parser.SetCmdLine(static_cast<int>(args.size()), argv.data());
}

// Holds what the parser prints until we know whether to let it through.
class CapturedOutput : public wxMessageOutput {
 public:
  void Output(const wxString& text) override { text_ += text; }
  const wxString& text() const { return text_; }

 private:
  wxString text_;
};

// Parses with the message output captured; returns the parser's result.
int parse_quietly(wxCmdLineParser& parser, wxString* printed) {
  CapturedOutput capture;
  wxMessageOutput* previous = wxMessageOutput::Set(&capture);
  const int result = parser.Parse(true);
  wxMessageOutput::Set(previous);
  *printed = capture.text();
  return result;
}

void print(const wxString& text) {
  if (text.empty()) return;
  if (wxMessageOutput* out = wxMessageOutput::Get()) out->Output(text);
}

// The parser reads `--steps` into a long, which on this platform holds more
// than 32 bits. It stops at the first bad value, so the first out-of-range
// value among the arguments it took is where it should have stopped. Returns
// that value's text as typed, or nothing.
std::optional<wxString> first_out_of_range_steps(
    const wxCmdLineParser& parser, const std::vector<wxString>& args) {
  size_t index = 0;
  bool found = false;
  for (const wxCmdLineArg& arg : parser.GetArguments()) {
    if (arg.GetKind() != wxCMD_LINE_OPTION || arg.GetLongName() != "steps")
      continue;
    const long value = arg.GetLongVal();
    if (value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max()) {
      found = true;
      break;
    }
    ++index;
  }
  if (!found) return std::nullopt;

  // The typed text (a sign, leading zeros) is what the message quotes: parse
  // again with `--steps` taken as text and pick the same occurrence.
  wxCmdLineEntryDesc table[std::size(kCommandLineTable)];
  std::copy(std::begin(kCommandLineTable), std::end(kCommandLineTable), table);
  for (auto& entry : table)
    if (entry.longName && wxString(entry.longName) == "steps")
      entry.type = wxCMD_LINE_VAL_STRING;
  wxCmdLineParser text_parser(table);
  set_arguments(text_parser, args);
  wxString ignored;
  parse_quietly(text_parser, &ignored);
  for (const wxCmdLineArg& arg : text_parser.GetArguments()) {
    if (arg.GetKind() != wxCMD_LINE_OPTION || arg.GetLongName() != "steps")
      continue;
    if (index == 0) return arg.GetStrVal();
    --index;
  }
  return wxString();
}

}  // namespace

std::vector<wxString> arguments_from_bytes(int argc, char** argv) {
  std::vector<wxString> args;
  args.reserve(argc);
  for (int i = 0; i < argc; ++i) args.emplace_back(argv[i], byte_converter());
  return args;
}

std::string to_native_bytes(const wxString& text) {
  const wxCharBuffer bytes = text.mb_str(byte_converter());
  return std::string(bytes.data(), bytes.length());
}

CommandLine parse_command_line(const std::vector<wxString>& args) {
  wxCmdLineParser parser(kCommandLineTable);
  set_arguments(parser, args);
  parser.SetLogo(kLogo);

  CommandLine line;
  wxString printed;
  const int result = parse_quietly(parser, &printed);
  if (auto bad = first_out_of_range_steps(parser, args)) {
    print(parser.GetUsageString() +
          wxString::Format("'%s' is not a correct numeric value for option "
                           "'%s'.\n",
                           *bad, "steps"));
    line.status = CommandLine::Status::kError;
    return line;
  }
  print(printed);
  if (result == -1) {
    line.status = CommandLine::Status::kHelp;
    return line;
  }
  if (result != 0) {
    line.status = CommandLine::Status::kError;
    return line;
  }

  line.status = CommandLine::Status::kRun;
  line.input = parser.GetParam(0);
  wxString text;
  if (parser.Found("o", &text)) line.output = text;
  if (parser.Found("rules", &text)) line.rules = text;
  long steps = 0;
  if (parser.Found("steps", &steps)) line.steps = static_cast<int32_t>(steps);
  line.log = parser.Found("l");
  line.verbose = parser.Found("v");
  return line;
}

}  // namespace marovel

// The command's run through the public library alone: reads a net file,
// reduces it and writes it as `marovel` does with the same options, so that
// the library can be compared with the command byte for byte
// (bench/library_matches_record.sh) and timed beside it
// (bench/library_run.sh).
//
//   marovel_library_run [-l] [--rules=LETTERS] [--steps=N] [-o OUT] NET
//
// Writes OUT (default NET's name with "_reduced" before ".xml") and, with
// -l, the log beside NET as NAME.log. Exits as marovel does: 1 once the net
// is written, 2 when the library refuses (its message on standard error),
// 255 on a wrong command line.
#include <marovel/marovel.h>

#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>

namespace {

struct CommandLine {
  bool log = false;
  marovel::Options options;
  std::string output;
  std::string input;
};

bool parse(int argc, char** argv, CommandLine& line) {
  for (int k = 1; k < argc; ++k) {
    const std::string arg = argv[k];
    if (arg == "-l") {
      line.log = true;
    } else if (arg.starts_with("--rules=")) {
      line.options.rules = arg.substr(8);
    } else if (arg.starts_with("--steps=")) {
      line.options.max_steps = std::atoi(arg.c_str() + 8);
    } else if (arg == "-o" && k + 1 < argc) {
      line.output = argv[++k];
    } else if (line.input.empty() && !arg.starts_with("-")) {
      line.input = arg;
    } else {
      return false;
    }
  }
  return !line.input.empty();
}

// NET without its ".xml", as the command names its outputs.
std::string stem(const std::string& input) {
  return input.ends_with(".xml") ? input.substr(0, input.size() - 4) : input;
}

}  // namespace

int main(int argc, char** argv) {
  CommandLine line;
  if (!parse(argc, argv, line)) {
    std::cerr << "usage: marovel_library_run [-l] [--rules=LETTERS] "
                 "[--steps=N] [-o OUT] NET\n";
    return 255;
  }
  if (line.output.empty()) line.output = stem(line.input) + "_reduced.xml";
  try {
    std::ofstream log;
    std::string lines;
    if (line.log) {
      log.open(stem(line.input) + ".log", std::ios::binary);
      line.options.on_step = [&lines](const marovel::Step& step) {
        lines += step.rule;
        lines += ':';
        for (size_t k = 0; k < step.names.size(); ++k)
          (lines += k ? "," : "") += step.names[k];
        lines += " reduced\n";
      };
    }
    marovel::Net net = marovel::Net::read(line.input);
    net.reduce(line.options);
    net.write(line.output);
    if (line.log && !(log << lines << std::flush)) {
      std::cerr << "marovel_library_run: cannot write the log\n";
      return 2;
    }
    return 1;
  } catch (const marovel::Error& error) {
    std::cerr << error.what() << "\n";
    return 2;
  } catch (const std::exception& error) {
    std::cerr << "marovel_library_run: " << error.what() << "\n";
    return 2;
  }
}

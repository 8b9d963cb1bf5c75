#include "tools/tool_options.h"

#include <charconv>

namespace marovel {
namespace {

// Matches `arg` against an option with a value. Returns true when it is that
// option; `value` then holds the value, or is empty when it is the next
// argument's turn to give it.
bool match_valued(std::string_view arg, std::string_view short_form,
                  std::string_view long_form,
                  std::optional<std::string_view>& value) {
  value.reset();
  if (arg == long_form || (!short_form.empty() && arg == short_form))
    return true;
  if (arg.starts_with(long_form) && arg.size() > long_form.size() &&
      arg[long_form.size()] == '=') {
    value = arg.substr(long_form.size() + 1);
    return true;
  }
  if (!short_form.empty() && arg.starts_with(short_form) &&
      !arg.starts_with("--")) {
    value = arg.substr(short_form.size());
    return true;
  }
  return false;
}

}  // namespace

Status parse_tool_options(const std::vector<std::string>& args,
                          ToolOptionSet accepted, ToolOptions& options) {
  const auto reject = [](std::string why) {
    return Status::error(Status::Code::kInvalidInput, std::move(why));
  };
  std::vector<std::string_view> inputs;
  bool options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (options_ended || arg.empty() || arg == "-" || arg[0] != '-') {
      inputs.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      options.help = true;
      return Status();
    }
    if (arg == "--version") {
      options.version = true;
      return Status();
    }
    struct Valued {
      std::string_view short_form;
      std::string_view long_form;
      std::optional<std::string>* target;
      bool allowed;
    };
    std::optional<std::string> steps, keep;
    const Valued valued[] = {
        {"-o", "--output", &options.output, true},
        {"", "--net", &options.net, accepted.net},
        {"", "--rules", &options.rules, accepted.reduction},
        {"", "--steps", &steps, accepted.reduction},
        {"", "--keep", &keep, accepted.reduction}};
    bool matched = false;
    for (const Valued& option : valued) {
      std::optional<std::string_view> value;
      if (!option.allowed ||
          !match_valued(arg, option.short_form, option.long_form, value))
        continue;
      matched = true;
      if (!value) {
        if (i + 1 == args.size())
          return reject("option '" + std::string(arg) + "' needs a value");
        value = args[++i];
      }
      if (value->empty())
        return reject("option '" + std::string(option.long_form) +
                      "' needs a non-empty value");
      const bool given = option.target == &steps  ? options.steps.has_value()
                         : option.target == &keep ? !options.keep.empty()
                                                  : option.target->has_value();
      if (given)
        return reject("option '" + std::string(option.long_form) +
                      "' is given more than once");
      *option.target = std::string(*value);
      break;
    }
    if (options.rules &&
        options.rules->find_first_not_of("ABCDEFabcdef") != std::string::npos)
      return reject("option '--rules' takes letters A to F, not '" +
                    *options.rules + "'");
    if (steps) {
      int32_t number = 0;
      const char* end = steps->data() + steps->size();
      const auto [stop, error] = std::from_chars(steps->data(), end, number);
      if (error != std::errc() || stop != end)
        return reject("option '--steps' takes a whole number, not '" + *steps +
                      "'");
      options.steps = number;
    }
    if (keep) {
      size_t start = 0;
      while (true) {
        const size_t comma = keep->find(',', start);
        const std::string name = keep->substr(start, comma - start);
        if (name.empty())
          return reject("option '--keep' has an empty name in '" + *keep + "'");
        options.keep.push_back(name);
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
    }
    if (!matched) {
      // Anything that is not one of our options would otherwise come back
      // to the user as a missing file, which hides the typo.
      return reject("unknown option '" + std::string(arg) + "'");
    }
  }
  if (inputs.empty()) return reject("no input file given");
  if (inputs.size() > 1)
    return reject("more than one input file given ('" + std::string(inputs[0]) +
                  "', '" + std::string(inputs[1]) + "')");
  options.input = std::string(inputs[0]);
  return Status();
}

std::string replace_extension(std::string_view path,
                              std::string_view extension) {
  const size_t slash = path.rfind('/');
  const size_t base = slash == std::string_view::npos ? 0 : slash + 1;
  const size_t dot = path.rfind('.');
  std::string result(path);
  if (dot != std::string_view::npos && dot > base) result.resize(dot);
  result += '.';
  result += extension;
  return result;
}

}  // namespace marovel

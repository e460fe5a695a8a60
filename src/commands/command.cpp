#include "commands/command.h"

namespace plandrix::commands {
namespace {

const OptionRule* FindOption(std::span<const OptionRule> rules, std::string_view name) {
  for (const OptionRule& rule : rules) {
    if (rule.name == name || (!rule.alias.empty() && rule.alias == name)) return &rule;
  }
  return nullptr;
}

}  // namespace

std::optional<std::string> Arguments::Value(std::string_view name) const {
  const auto found = options.find(name);
  if (found == options.end() || found->second.empty()) return std::nullopt;
  return found->second.back();
}

void PrintError(Io& io, std::string_view text) {
  io.err << kProgramName << ": " << text << '\n';
  io.err.flush();
}

void PrintWarning(Io& io, std::string_view command, std::string_view text) {
  PrintError(io, std::string(command) + ": warning: " + std::string(text));
}

int Finish(Io& io, const Stop& stop) {
  if (!stop.message.empty()) PrintError(io, stop.message);
  return stop.status;
}

int Finish(Io& io, const Step<Done>& last) { return last ? kExitOk : Finish(io, last.stop()); }

Step<Arguments> ParseArguments(std::span<const std::string> args, std::span<const OptionRule> rules,
                               std::string_view command, std::string_view usage, Io& io) {
  Arguments parsed;
  bool help = false;
  const std::string prefix = std::string(command) + ": ";
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      parsed.positional.insert(parsed.positional.end(), args.begin() + static_cast<long>(i) + 1,
                               args.end());
      break;
    }
    if (arg == "-h" || arg == "--help") {
      help = true;
      continue;
    }
    if (arg.size() < 2 || arg[0] != '-') {
      parsed.positional.push_back(arg);
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string_view name = std::string_view(arg).substr(0, equals);
    const OptionRule* rule = FindOption(rules, name);
    if (rule == nullptr) {
      return Stop{kExitUsage, prefix + "unknown option '" + std::string(name) + "' (see --help)"};
    }
    std::vector<std::string>& values = parsed.options[std::string(rule->name)];
    if (!rule->takes_value) {
      if (equals != std::string::npos) {
        return Stop{kExitUsage, prefix + "option '" + std::string(name) + "' takes no value"};
      }
      values.emplace_back();
    } else if (equals != std::string::npos) {
      values.push_back(arg.substr(equals + 1));
    } else if (i + 1 < args.size()) {
      values.push_back(args[++i]);
    } else {
      return Stop{kExitUsage, prefix + "option '" + std::string(name) + "' needs a value"};
    }
  }
  if (help) {
    io.out << usage;
    return Stop{kExitOk, {}};
  }
  return parsed;
}

Step<std::string> OneMap(const Arguments& arguments, std::string_view command,
                         std::string_view hint) {
  if (arguments.positional.size() != 1) {
    return Stop{kExitUsage,
                std::string(command) + ": give exactly one map (see " + std::string(hint) + ")"};
  }
  return arguments.positional.front();
}

std::string Quoted(std::string_view text) {
  std::string quoted(1, '\'');
  quoted += text;
  quoted += '\'';
  return quoted;
}

}  // namespace plandrix::commands

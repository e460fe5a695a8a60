#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/map_commands.h"
#include "core/map_file.h"
#include "core/map_format.h"
#include "core/map_layout.h"

namespace plandrix::map_command {

std::optional<std::string> Arguments::Value(std::string_view name) const {
  const auto found = options.find(name);
  if (found == options.end() || found->second.empty()) return std::nullopt;
  return found->second.back();
}

void PrintError(Io& io, std::string_view text) {
  io.err << kProgramName << ": " << text << '\n';
  io.err.flush();
}

namespace {

const OptionRule* FindOption(std::span<const OptionRule> rules, std::string_view name) {
  for (const OptionRule& rule : rules) {
    if (rule.name == name || (!rule.alias.empty() && rule.alias == name)) return &rule;
  }
  return nullptr;
}

}  // namespace

std::optional<Arguments> ParseArguments(std::span<const std::string> args,
                                        std::span<const OptionRule> rules, std::string_view command,
                                        Io& io) {
  Arguments parsed;
  const std::string prefix = std::string(command) + ": ";
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      parsed.positional.insert(parsed.positional.end(), args.begin() + static_cast<long>(i) + 1,
                               args.end());
      break;
    }
    if (arg == "-h" || arg == "--help") {
      parsed.help = true;
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
      PrintError(io, prefix + "unknown option '" + std::string(name) + "' (see --help)");
      return std::nullopt;
    }
    std::vector<std::string>& values = parsed.options[std::string(rule->name)];
    if (!rule->takes_value) {
      if (equals != std::string::npos) {
        PrintError(io, prefix + "option '" + std::string(name) + "' takes no value");
        return std::nullopt;
      }
      values.emplace_back();
      continue;
    }
    if (equals != std::string::npos) {
      values.push_back(arg.substr(equals + 1));
    } else if (i + 1 < args.size()) {
      values.push_back(args[++i]);
    } else {
      PrintError(io, prefix + "option '" + std::string(name) + "' needs a value");
      return std::nullopt;
    }
  }
  return parsed;
}

namespace {

// Why a file cannot be read, for the line that names it.
std::string ReasonOf(const ReadError& error) {
  switch (error.failure) {
    case ReadFailure::kMissing:
      return "no such file";
    case ReadFailure::kNotRegularFile:
      return "not a regular file";
    case ReadFailure::kOutOfMemory:
      return "too large for this machine's memory";
    case ReadFailure::kSystem:
    case ReadFailure::kNone:
      break;
  }
  return std::string("cannot be read (") + std::strerror(error.code) + ")";
}

}  // namespace

std::optional<LargeBuffer> ReadInput(const std::string& path, Io& io) {
  ReadError error;
  auto bytes = ReadFileBytes(path, error);
  if (!bytes) PrintError(io, path + ": " + ReasonOf(error));
  return bytes;
}

std::optional<MapFileBytes> ReadMapPart(const std::string& path, Io& io) {
  ReadError error;
  auto map = ReadMapPrefix(path, error);
  if (!map) PrintError(io, path + ": " + ReasonOf(error));
  return map;
}

bool RefuseOtherFile(std::span<const std::uint8_t> bytes, const std::string& name, Io& io) {
  // A shorter file is refused as too short by each command, as the menu program does.
  if (bytes.size() < kHeaderSize || BeginsWithSignature(bytes)) return false;
  PrintError(
      io, name + ": not a SettlersII map (it does not begin with " + std::string(kSignature) + ")");
  return true;
}

bool WriteOutput(const std::string& path, std::span<const std::uint8_t> bytes, Io& io) {
  const int error = SaveFile(path, bytes);
  if (error == 0) return true;
  PrintError(io, path + ": cannot be written (" + std::strerror(error) + ")");
  return false;
}

std::string WithExtension(const std::string& name, std::string_view extension) {
  std::filesystem::path path(name);
  path.replace_extension(extension);
  return path.string();
}

}  // namespace plandrix::map_command

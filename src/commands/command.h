// What every plandrix-map command is made of: its streams, its exit statuses, the step
// type that carries either a value or where the command stops, and the parsing of its
// options. A command is four steps, each giving a Step: parse the arguments, load the
// map, act on it, write what it made; the first step that stops ends it.
#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plandrix::commands {

inline constexpr std::string_view kProgramName = "plandrix-map";

// Exit statuses of every command.
inline constexpr int kExitOk = 0;        // done; for check: no map has an error
inline constexpr int kExitFindings = 1;  // check: a map has an error; others: refused
// bad arguments, a file that cannot be read or written, or memory that runs out
inline constexpr int kExitUsage = 2;

// Where a command prints: results on out, messages on err.
struct Io {
  std::ostream& out;
  std::ostream& err;
};

// Where a command stops: its exit status and the line it ends with ("plandrix-map: " is
// put before it; an empty message prints nothing, as after --help).
struct Stop {
  int status = kExitUsage;
  std::string message;
};

// A step's outcome: its value, or where the command stops.
template <class T>
class Step {
 public:
  Step(T value) : value_(std::move(value)) {}  // NOLINT: a value is a step that went on
  Step(Stop stop) : stop_(std::move(stop)) {}  // NOLINT: so is a stop that ended it
  explicit operator bool() const { return value_.has_value(); }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  const Stop& stop() const { return stop_; }

 private:
  std::optional<T> value_;
  Stop stop_;
};

// What a last step gives when the command did all it had to.
struct Done {};

// Prints one message line "plandrix-map: TEXT" on err.
void PrintError(Io& io, std::string_view text);
// "plandrix-map: COMMAND: warning: TEXT".
void PrintWarning(Io& io, std::string_view command, std::string_view text);

// Ends a command: prints the stop's line, if any, and gives its exit status.
int Finish(Io& io, const Stop& stop);
// Ends a command after its last step.
int Finish(Io& io, const Step<Done>& last);

// An option of a command: "--json", "-o" (with takes_value, the next argument or the
// part after "=" is its value). An option may be given more than once: the last wins.
struct OptionRule {
  std::string_view name;
  bool takes_value = false;
  std::string_view alias = {};  // another name for it, such as "--output" for "-o"
};

struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::vector<std::string>, std::less<>> options;  // by OptionRule::name

  bool Has(std::string_view name) const { return options.find(name) != options.end(); }
  // The last value given for name, if any.
  std::optional<std::string> Value(std::string_view name) const;
};

// Parses args against rules; "--" ends the options and "-" alone is a file name. -h or
// --help prints usage on out and stops with status 0; an unknown option or a missing
// value stops with 2 and "COMMAND: ..." .
Step<Arguments> ParseArguments(std::span<const std::string> args, std::span<const OptionRule> rules,
                               std::string_view command, std::string_view usage, Io& io);

// The one map of a command that takes one: stops with 2 and "COMMAND: give exactly one
// map (see HINT)" when there are more or none.
Step<std::string> OneMap(const Arguments& arguments, std::string_view command,
                         std::string_view hint);

// text in single quotes.
std::string Quoted(std::string_view text);

}  // namespace plandrix::commands

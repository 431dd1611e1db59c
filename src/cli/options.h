#pragma once
/// One parser for the arguments of every qlxs-cli command, so all of them
/// behave alike: options may come before, between or after the positional
/// arguments, as "--name value" or "--name=value"; "--" ends the options;
/// -h or --help anywhere prints the command's help on stdout. A problem is
/// reported on stderr as "qlxs-cli COMMAND: PROBLEM", followed by the
/// command's synopsis and a pointer to --help, with exit status 2.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace qlxs::cli {

class ArgParser {
 public:
  /// `help` is the command's help text; its first paragraph is the synopsis.
  ArgParser(const char* command, const char* help) : command_(command), help_(help) {}

  /// An option without value that sets `on`.
  void Flag(const char* name, bool& on);
  /// An option whose value is taken as it stands.
  void Text(const char* name, std::string& value);
  /// An option whose value is a whole decimal number in [lo, hi]; otherwise
  /// `problem` is reported.
  void Number(const char* name, long lo, long hi, long& value, const char* problem);
  /// An option whose value `parse` reads: it returns the problem, or an empty
  /// string when the value is good.
  void Custom(const char* name, std::function<std::string(const char* value)> parse);
  /// Where the positional arguments go, and how many there must be.
  void Positionals(std::vector<std::string>& names, size_t min, size_t max, const char* problem);

  /// Parses the arguments after the command name. Returns -1 when the
  /// command goes on, otherwise the exit status: 0 after the help was
  /// printed, 2 after a usage problem was reported.
  int Parse(int argc, char** argv);

  /// Reports a usage problem found after parsing, as `Parse` does; returns 2.
  int Fail(const std::string& problem) const;

 private:
  struct Option {
    std::string name;
    bool takesValue;
    std::function<std::string(const char*)> apply;
  };
  const Option* Find(const std::string& name) const;

  const char* command_;
  const char* help_;
  std::vector<Option> options_;
  std::vector<std::string>* names_ = nullptr;
  size_t min_ = 0, max_ = 0;
  const char* countProblem_ = "";
};

}  // namespace qlxs::cli

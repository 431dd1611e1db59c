#include "cli/options.h"

#include <cstdio>
#include <cstring>

#include "cli/cli_support.h"
#include "cli/commands.h"

namespace qlxs::cli {

void ArgParser::Flag(const char* name, bool& on) {
  options_.push_back({name, false, [&on](const char*) {
                        on = true;
                        return std::string();
                      }});
}

void ArgParser::Text(const char* name, std::string& value) {
  options_.push_back({name, true, [&value](const char* v) {
                        value = v;
                        return std::string();
                      }});
}

void ArgParser::Number(const char* name, long lo, long hi, long& value, const char* problem) {
  options_.push_back({name, true, [=, &value](const char* v) {
                        return ParseNumber(v, lo, hi, value) ? std::string() : std::string(problem);
                      }});
}

void ArgParser::Custom(const char* name, std::function<std::string(const char*)> parse) {
  options_.push_back({name, true, std::move(parse)});
}

void ArgParser::Positionals(std::vector<std::string>& names, size_t min, size_t max, const char* problem) {
  names_ = &names;
  min_ = min;
  max_ = max;
  countProblem_ = problem;
}

const ArgParser::Option* ArgParser::Find(const std::string& name) const {
  for (const Option& o : options_)
    if (o.name == name) return &o;
  return nullptr;
}

int ArgParser::Parse(int argc, char** argv) {
  for (int i = 0; i < argc; ++i)
    if (std::strcmp(argv[i], "--") == 0) break;
    else if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
      std::fputs(help_, stdout);
      return kExitOk;
    }
  bool optionsEnded = false;
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    if (optionsEnded || a.size() < 2 || a[0] != '-') {
      if (!names_) return Fail("unexpected argument '" + a + "'");
      names_->push_back(a);
      continue;
    }
    if (a == "--") {
      optionsEnded = true;
      continue;
    }
    const size_t eq = a.find('=');
    const std::string name = a.substr(0, eq);
    const Option* o = Find(name);
    if (!o) return Fail("unknown option '" + name + "'");
    const char* value = nullptr;
    if (!o->takesValue) {
      if (eq != std::string::npos) return Fail(name + " takes no value");
    } else if (eq != std::string::npos) {
      value = argv[i] + eq + 1;
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      return Fail(name + " needs a value");
    }
    if (const std::string problem = o->apply(value); !problem.empty()) return Fail(problem);
  }
  const size_t n = names_ ? names_->size() : 0;
  if (n < min_ || n > max_) return Fail(countProblem_);
  return -1;
}

int ArgParser::Fail(const std::string& problem) const {
  const char* synopsisEnd = std::strstr(help_, "\n\n");
  const int synopsis = synopsisEnd ? static_cast<int>(synopsisEnd - help_) : static_cast<int>(std::strlen(help_));
  std::fprintf(stderr, "qlxs-cli %s: %s\n%.*s\nRun 'qlxs-cli %s --help' for more.\n", command_, problem.c_str(),
               synopsis, help_, command_);
  return kExitUsage;
}

}  // namespace qlxs::cli

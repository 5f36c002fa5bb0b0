// The log of the recording fakes. Each call a recording fake receives that
// asks something of the system is logged in one format, "Method(arg,arg)",
// into the fake's own log or into a log shared with other fakes, so a test can
// check the order of calls across ports. Questions a fake answers from its
// fields (a directory, a process list) are not logged.
#pragma once

#include <string>
#include <vector>

namespace ordavi::testing {

using CallLog = std::vector<std::string>;

// The base of every recording fake.
class Recording {
 public:
  Recording() : log(own_) {}
  explicit Recording(CallLog& shared) : log(shared) {}
  Recording(const Recording&) = delete;
  Recording& operator=(const Recording&) = delete;

 private:
  CallLog own_;  // declared before `log`, which may refer to it

 public:
  CallLog& log;

 protected:
  // Logs "method(args...)"; the arguments are already written as the log shows them.
  void Record(const std::string& method, const std::vector<std::string>& args = {}) {
    std::string call = method + "(";
    for (std::size_t i = 0; i < args.size(); ++i) call += (i ? "," : "") + args[i];
    log.push_back(call + ")");
  }
};

}  // namespace ordavi::testing

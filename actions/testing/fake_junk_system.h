// The junk-cleaning port for unit tests: logs "RunHiddenAndWait(command line)"
// (answering `scriptStarts`) and "OpenLog(path,dir)".
#pragma once

#include <string>

#include "actions/junk.h"
#include "store/testing/call_log.h"

namespace ordavi::testing {

class FakeJunkSystem : public Recording, public JunkSystem {
 public:
  using Recording::Recording;
  bool RunHiddenAndWait(const std::string& commandLine) override {
    Record("RunHiddenAndWait", {commandLine});
    return scriptStarts;
  }
  void OpenLog(const std::string& logPath, const std::string& dir) override { Record("OpenLog", {logPath, dir}); }

  bool scriptStarts = true;
};

}  // namespace ordavi::testing

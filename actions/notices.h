// Port: where the agent's own reports go. The shell opens a new notice window
// for each text.
#pragma once

#include <string>

namespace ordavi {

class NoticeSink {
 public:
  virtual ~NoticeSink() = default;
  virtual void ShowNotice(const std::string& text) = 0;
};

}  // namespace ordavi

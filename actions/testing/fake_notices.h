// The notice port for unit tests: logs "ShowNotice(text)".
#pragma once

#include <string>

#include "actions/notices.h"
#include "store/testing/call_log.h"

namespace ordavi::testing {

class FakeNotices : public Recording, public NoticeSink {
 public:
  using Recording::Recording;
  void ShowNotice(const std::string& text) override { Record("ShowNotice", {text}); }
};

}  // namespace ordavi::testing

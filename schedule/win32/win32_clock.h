// The scheduler's clock and date-format ports over the Win32 API.
#pragma once

#include <cstdint>
#include <string>

#include "schedule/schedule.h"

namespace ordavi {

// GetTickCount and the tick of the last keyboard or mouse input.
class Win32SystemClock : public SystemClock {
 public:
  std::uint32_t TickCount() override;
  std::uint32_t LastInputTick() override;
};

// The user's short date format (LOCALE_SSHORTDATE), read afresh on every call
// so a change in the control panel counts at once.
class Win32DateFormatSource : public DateFormatSource {
 public:
  std::string ShortDateFormat() override;
};

}  // namespace ordavi

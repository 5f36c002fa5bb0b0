// The clocks and the date format over the Win32 API: the local time, the
// tick count and the last input (the scheduler's and the tick's clocks), and
// the user's short date format.
#pragma once

#include <cstdint>
#include <string>

#include "schedule/local_clock.h"
#include "schedule/schedule.h"

namespace ordavi {

// GetTickCount and the tick of the last keyboard or mouse input.
class Win32SystemClock : public SystemClock {
 public:
  std::uint32_t TickCount() override;
  std::uint32_t LastInputTick() override;
};

class Win32LocalClock : public LocalClock {
 public:
  ScheduleNow LocalTime() override;  // GetLocalTime
};

// The user's short date format (LOCALE_SSHORTDATE), read afresh on every call
// so a change in the control panel counts at once.
class Win32DateFormatSource : public DateFormatSource {
 public:
  std::string ShortDateFormat() override;
};

}  // namespace ordavi

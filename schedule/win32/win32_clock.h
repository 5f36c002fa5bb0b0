// The clocks and the date format over the Win32 API: the local time, the UTC
// minute, the tick count and the last input (the scheduler's and the tick's
// clocks), and the user's short date format.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "schedule/local_clock.h"
#include "schedule/schedule.h"

namespace ordavi {

// GetTickCount and the tick of the last keyboard or mouse input; the 64-bit
// count and the awake time where Windows has them (GetTickCount64 since Vista,
// QueryUnbiasedInterruptTime since Windows 7, both looked up at run time).
class Win32SystemClock : public SystemClock {
 public:
  std::uint32_t TickCount() override;
  std::uint64_t TickCount64() override;
  std::uint32_t LastInputTick() override;
  std::optional<std::uint64_t> UnbiasedMs() override;

 private:
  // Without GetTickCount64: the 32-bit count widened by the wraps seen.
  std::uint32_t lastTick_ = 0;
  std::uint64_t wraps_ = 0;
};

class Win32LocalClock : public LocalClock {
 public:
  ScheduleNow LocalTime() override;  // GetLocalTime
};

// GetSystemTimeAsFileTime in whole minutes since 1970.
class Win32UtcClock : public UtcClock {
 public:
  long long UtcMinute() override;
};

// The user's short date format (LOCALE_SSHORTDATE), read afresh on every call
// so a change in the control panel counts at once.
class Win32DateFormatSource : public DateFormatSource {
 public:
  std::string ShortDateFormat() override;
};

}  // namespace ordavi

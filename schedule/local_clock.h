// Ports: the local date and time (GetLocalTime), read once per tick pass and
// for the names of the junk-cleaning logs; and the UTC minute, which tells a
// clock the user set from time passing (schedule/seen_minutes.h). The tick
// count and the date format are SystemClock and DateFormatSource
// (schedule/schedule.h); all four adapters are in win32/win32_clock.h.
#pragma once

#include "schedule/schedule.h"

namespace ordavi {

class LocalClock {
 public:
  virtual ~LocalClock() = default;
  virtual ScheduleNow LocalTime() = 0;
};

class UtcClock {
 public:
  virtual ~UtcClock() = default;
  virtual long long UtcMinute() = 0;
};

}  // namespace ordavi

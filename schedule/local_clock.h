// Port: the local date and time (GetLocalTime), read once per tick pass and
// for the names of the junk-cleaning logs.
#pragma once

#include "schedule/schedule.h"

namespace ordavi {

class LocalClock {
 public:
  virtual ~LocalClock() = default;
  virtual ScheduleNow LocalTime() = 0;
};

}  // namespace ordavi

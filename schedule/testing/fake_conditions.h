// The condition sensors for unit tests: each answer is the field as set;
// the sample time runs on with the fake timers when given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "schedule/conditions.h"
#include "schedule/testing/fake_timers.h"

namespace ordavi::testing {

struct FakeConditionSensors : ConditionSensors {
  FakeConditionSensors() = default;
  explicit FakeConditionSensors(const FakeTimers& t) : timers(&t) {}
  std::optional<std::vector<std::string>> RunningPrograms() override {
    ++programReads;
    return programs;
  }
  std::optional<std::vector<AdapterOctets>> AdapterCounters() override { return adapters; }
  std::optional<ProcessorTimes> ProcessorUse() override { return times; }
  std::uint32_t TickCount() override { return static_cast<std::uint32_t>(tick + (timers ? timers->Now() : 0)); }

  const FakeTimers* timers = nullptr;
  std::uint64_t tick = 0;
  std::optional<std::vector<std::string>> programs = std::vector<std::string>{};
  std::optional<std::vector<AdapterOctets>> adapters = std::vector<AdapterOctets>{};
  std::optional<ProcessorTimes> times = ProcessorTimes{};
  int programReads = 0;
};

}  // namespace ordavi::testing

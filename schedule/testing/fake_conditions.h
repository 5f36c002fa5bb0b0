// The condition sensors for unit tests: each answer is the field as set.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "schedule/conditions.h"

namespace ordavi::testing {

struct FakeConditionSensors : ConditionSensors {
  std::optional<std::vector<std::string>> RunningPrograms() override {
    ++programReads;
    return programs;
  }
  std::optional<std::vector<AdapterOctets>> AdapterCounters() override { return adapters; }
  std::optional<ProcessorTimes> ProcessorUse() override { return times; }
  std::optional<std::vector<std::string>> programs = std::vector<std::string>{};
  std::optional<std::vector<AdapterOctets>> adapters = std::vector<AdapterOctets>{};
  std::optional<ProcessorTimes> times = ProcessorTimes{};
  int programReads = 0;
};

}  // namespace ordavi::testing

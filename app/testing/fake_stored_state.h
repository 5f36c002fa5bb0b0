// The stored state the composition root owns, over an in-memory registry, for
// unit tests of the agent.
#pragma once

#include "app/agent.h"
#include "store/testing/fake_registry.h"

namespace ordavi::testing {

struct FakeStoredState {
  FakeRegistryRoot root;
  FakeRegistryKey& key = root.Key(kProgramKeyPath);
  Registry registry{key};
  TaskStore tasks{registry};
  Options options;
  StoredState state() { return {registry, tasks, options}; }
};

}  // namespace ordavi::testing

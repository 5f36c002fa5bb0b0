#include "app/single_agent.h"

#include <gtest/gtest.h>

#include <string>

namespace ordavi {
namespace {

struct FakeSlot : AgentSlotPort {
  bool closing = false, free = true, admin = false, runningAdmin = false, ends = true, refused = false;
  std::string calls;
  bool InstallationClosing() override { return closing; }
  SessionClaim ClaimSession() override {
    return refused ? SessionClaim::Refused : free ? SessionClaim::Claimed : SessionClaim::HeldByAnother;
  }
  bool HasAdministratorRights() override { return admin; }
  bool RunningAgentHasAdministratorRights() override { return runningAdmin; }
  bool EndRunningAgentAndClaim() override {
    calls += "end ";
    return ends;
  }
  void AskRunningAgentToOpenSettings() override { calls += "settings "; }
};

TEST(SingleAgent, ASecondStartTakesOverOnlyWithMoreRightsOtherwiseHandsOver) {
  struct Case {
    bool closing, free, admin, runningAdmin, ends;
    bool runs;
    const char* calls;
    bool refused = false;
  };
  const Case cases[] = {
      // closing free  admin  running ends    runs   calls
      {false, true, false, false, true, true, ""},                // the first agent of the session
      {false, true, true, true, true, true, ""},
      {true, true, true, false, true, false, ""},                 // the installer is ending the agents
      {false, false, false, false, true, false, "settings "},     // same rights: hand over
      {false, false, true, true, true, false, "settings "},
      {false, false, false, true, true, false, "settings "},      // fewer rights: hand over
      {false, false, true, false, true, true, "end "},            // more rights: take over
      {false, false, true, false, false, false, "end settings "}, // the running agent did not end
      {false, false, true, false, true, false, "", true},         // no slot to be had: no second agent
  };
  for (const Case& c : cases) {
    FakeSlot slot;
    slot.closing = c.closing, slot.free = c.free, slot.admin = c.admin, slot.runningAdmin = c.runningAdmin,
    slot.ends = c.ends, slot.refused = c.refused;
    EXPECT_EQ(StartAsTheSessionAgent(slot), c.runs) << c.free << c.admin << c.runningAdmin << c.ends;
    EXPECT_EQ(slot.calls, c.calls) << c.free << c.admin << c.runningAdmin << c.ends;
  }
}

}  // namespace
}  // namespace ordavi

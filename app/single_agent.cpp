#include "app/single_agent.h"

namespace ordavi {

bool StartAsTheSessionAgent(AgentSlotPort& slot) {
  if (slot.InstallationClosing()) return false;
  switch (slot.ClaimSession()) {
    case SessionClaim::Claimed: return true;
    case SessionClaim::Refused: return false;
    case SessionClaim::HeldByAnother: break;
  }
  // Only a start with more rights than the running agent replaces it: the
  // user asked for an agent that can save. An agent that does not end in
  // time stays, and is asked for its settings dialog instead.
  if (slot.HasAdministratorRights() && !slot.RunningAgentHasAdministratorRights() && slot.EndRunningAgentAndClaim()) {
    return true;
  }
  slot.AskRunningAgentToOpenSettings();
  return false;
}

}  // namespace ordavi

#include "app/win32/agent_wiring.h"

namespace ordavi {

AgentWiring::AgentWiring(TForm1& form1, Agent& agent, NoticeSink& notices, ShellPort& shell, PowerSystem& power)
    : form1_(form1),
      dialup_([&form1] { return form1.Handle(); }),
      junkSystem_(form1.Handle()),
      sound_(form1.Handle()),
      junk_(junkSystem_, localClock_, AgentDirectory()),
      tickActions_(notices, shell, processes_, dialup_, junk_),
      guards_(agent),
      countdownSystem_(agent, windows_, reinterpret_cast<WindowId>(form1.Handle()), dialup_, notices),
      countdown_(agent.options(), form1, form1, sound_, countdownSystem_, power) {
  if (agent.tasks()) {
    tick_ = std::make_unique<TaskTick>(*agent.tasks(), matchers_, localClock_, form1, tickActions_, countdown_,
                                       guards_);
    form1.onTimer1 = [this] { tick_->Timer1Timer(); };
    form1.onTimer3 = [this] { tick_->Timer3Timer(); };
  }
  form1.onTimer2 = [this] { countdown_.Timer2Timer(); };
  form1.onBitBtn1 = [this] { countdown_.BitBtn1Click(); };
  form1.onBitBtn2 = [this] { countdown_.BitBtn2Click(); };
  form1.onOtherCommand = [this](MenuItem item) {
    if (item == MenuItem::L1) junk_.CleanJunk(true);  // the menu shows the log afterwards
  };
}

AgentWiring::~AgentWiring() {
  // The window may outlive this object by a few messages.
  form1_.onTimer1 = form1_.onTimer2 = form1_.onTimer3 = form1_.onBitBtn1 = form1_.onBitBtn2 = nullptr;
  form1_.onOtherCommand = nullptr;
}

}  // namespace ordavi

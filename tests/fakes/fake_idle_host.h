// --idle's host for the core's IdleSupervisor: answers set by the test, and
// every call logged as a short word.
#pragma once

#include <optional>
#include <string>

#include "startup/idle_supervisor.h"

namespace zarvella::fakes {

// The log: "?" inhibited asked, "k" a hold fact (asked and found), "S" start, "T" terminate, "K"
// kill, "@MS" call back in MS ("@-" none), "say:LINE", "exit:CODE"; words apart by spaces.
class FakeIdleHost : public IdleHost {
  public:
    std::optional<bool> inhibited = false;  // none: answered later
    bool reportsInhibitorEnd = true;
    IdleHoldFacts hold;
    bool startFails = false;
    std::string log;

    std::optional<bool> AskInhibited() override { return Note("?"), inhibited; }
    bool ReportsInhibitorEnd() const override { return reportsInhibitorEnd; }
    IdleHoldFacts HoldFacts() override {
        if (hold.keyboardHeldElsewhere || hold.serverSaverOff || hold.saverShows) Note("k");
        return hold;
    }
    bool StartSaver() override { return Note("S"), !startFails; }
    void TerminateSaver() override { Note("T"); }
    void KillSaver() override { Note("K"); }
    void CallBackIn(int ms) override { Note(ms < 0 ? "@-" : "@" + std::to_string(ms)); }
    void Say(const std::string& line) override { Note("say:" + line); }
    void Exit(int code) override { Note("exit:" + std::to_string(code)); }

  private:
    void Note(const std::string& word) { log += (log.empty() ? "" : " ") + word; }
};

}  // namespace zarvella::fakes

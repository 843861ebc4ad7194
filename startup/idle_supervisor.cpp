#include "startup/idle_supervisor.h"

namespace zarvella {

bool HeldOff(const IdleHoldFacts& f) {
    return f.keyboardHeldElsewhere || (f.serverSaverOff && !f.serverSaverOffAtStart) ||
           f.saverShows;
}

void IdleSupervisor::OnEvent(IdleEvent event) {
    if (exited_) return;
    switch (event) {
        case IdleEvent::SessionIdle:
            idle_ = true;
            break;
        case IdleEvent::SessionActive:
            idle_ = false;
            needActivity_ = false;
            // Input anywhere ends the saver, even one that hangs.
            if (phase_ == Phase::Running) EndSaver();
            break;
        case IdleEvent::SaverEnded:
            if (phase_ < Phase::Running) return;
            phase_ = Phase::Waiting;
            CallBack(-1);
            // Ended while still idle (by itself, or by the lock): not again
            // until after input.
            needActivity_ = idle_;
            if (quitting_) return Finish();
            break;
        case IdleEvent::InhibitionChanged:
            break;
    }
    Decide();
}

void IdleSupervisor::InhibitedAnswer(bool inhibited) {
    if (!exited_ && phase_ == Phase::Asking) Answered(inhibited);
}

void IdleSupervisor::LockChanged(LockSource source, bool locked) {
    if (exited_) return;
    const unsigned bit = 1u << unsigned(source);
    const bool was = Locked();
    locks_ = locked ? locks_ | bit : locks_ & ~bit;
    // Unlocked while still idle: the user has not touched the desktop yet
    // (the password's keys may not have been reported yet): input first.
    if (was && !Locked()) needActivity_ = idle_;
    // The lock wins: a saver showing as it comes ends.
    if (Locked() && phase_ == Phase::Running) EndSaver();
    Decide();
}

void IdleSupervisor::Tick() {
    if (exited_ || !callBack_) return;
    callBack_ = false;
    switch (phase_) {
        case Phase::Asking:  // no answer in time
            return Answered(false);
        case Phase::Ending:
            host_.KillSaver();
            phase_ = Phase::Killed;
            return CallBack(kSaverKilledMs);
        case Phase::Killed:
            if (quitting_) Finish();
            return;
        case Phase::Waiting:
            return Decide();
        case Phase::Running:
            return;
    }
}

void IdleSupervisor::SourceLost(const std::string& line) {
    if (quitting_ || exited_) return;  // told twice (the monitor, then the bus)
    host_.Say(line);
    Quit(1);
}

void IdleSupervisor::Quit(int code) {
    if (quitting_ || exited_) return;
    quitting_ = true;
    code_ = code;
    if (phase_ == Phase::Running)
        EndSaver();
    else if (phase_ < Phase::Running)
        Finish();
}

void IdleSupervisor::Decide() {
    if (quitting_) return;
    const bool ready = idle_ && !needActivity_ && !Locked();
    if (phase_ == Phase::Asking && !ready) {
        phase_ = Phase::Waiting;
        CallBack(-1);
    }
    if (phase_ != Phase::Waiting) return;
    if (!ready) {
        if (heldOff_) CallBack(-1);
        heldOff_ = false;
        return;
    }
    if (HeldOff(host_.HoldFacts())) return HoldOff(true);
    phase_ = Phase::Asking;
    const std::optional<bool> answer = host_.AskInhibited();
    if (answer)
        Answered(*answer);
    else
        CallBack(kIdleAnswerMs);
}

void IdleSupervisor::Answered(bool inhibited) {
    phase_ = Phase::Waiting;
    if (inhibited) return HoldOff(!host_.ReportsInhibitorEnd());
    CallBack(-1);
    heldOff_ = false;
    if (host_.StartSaver())
        phase_ = Phase::Running;
    else
        needActivity_ = idle_;  // a failed start counts as a saver that ended
}

void IdleSupervisor::HoldOff(bool recheck) {
    heldOff_ = true;
    CallBack(recheck ? kIdleRecheckMs : -1);
}

void IdleSupervisor::EndSaver() {
    host_.TerminateSaver();
    phase_ = Phase::Ending;
    CallBack(kSaverGraceMs);
}

void IdleSupervisor::Finish() {
    exited_ = true;
    CallBack(-1);
    host_.Exit(code_);
}

void IdleSupervisor::CallBack(int ms) {
    if (ms < 0 && !callBack_) return;
    callBack_ = ms >= 0;
    host_.CallBackIn(ms);
}

}  // namespace zarvella

// --idle at work: when the saver starts, when it is ended, and what --idle
// asks of its host meanwhile. The host (platform/linux/idle_run.cpp) feeds
// in what the session says and carries out the calls below; it decides
// nothing itself.
#pragma once

#include <optional>
#include <string>

#include "startup/idle.h"

namespace zarvella {

// Held off by something that reports no end (an inhibitor book that is only
// asked, another client's keyboard grab): asked again this often.
inline constexpr int kIdleRecheckMs = 1000;
// An inhibition question with no answer by then: nothing inhibits.
inline constexpr int kIdleAnswerMs = 2000;
// A saver asked to end is killed when it has not ended by then; the session
// is then usable within the source's delay (1 s at most) and this.
inline constexpr int kSaverGraceMs = 2000;
// After the kill, --idle leaving waits no longer than this.
inline constexpr int kSaverKilledMs = 1000;

// Who says the session is locked; it counts as locked while any of them does.
enum class LockSource { Logind, GnomeScreenSaver, FreedesktopScreenSaver };

// What holds a start off without reporting its end (asked again each
// second while the session is idle).
struct IdleHoldFacts {
    bool keyboardHeldElsewhere = false;  // X11: a locker, an open menu
    // X11: the server's own saver is off (its timeout 0: `xset s off`, as
    // xdg-screensaver suspend runs it), and whether it was so when --idle
    // started: then it is the user's setting (an .xinitrc's), not a player's.
    bool serverSaverOff = false;
    bool serverSaverOffAtStart = false;
    // A Zarvella saver (/s) already covers this display (xautolock's): a
    // second one would take the input that ends the first.
    bool saverShows = false;
};
bool HeldOff(const IdleHoldFacts& facts);

// What --idle asks of its host.
class IdleHost {
  public:
    virtual ~IdleHost() = default;
    // Whether an inhibitor holds the saver off: the answer now, or none when
    // it comes later through IdleSupervisor::InhibitedAnswer.
    virtual std::optional<bool> AskInhibited() = 0;
    // Whether the host reports an inhibitor's end itself (InhibitionChanged).
    virtual bool ReportsInhibitorEnd() const = 0;
    virtual IdleHoldFacts HoldFacts() = 0;
    virtual bool StartSaver() = 0;  // false: it could not start
    virtual void TerminateSaver() = 0;
    virtual void KillSaver() = 0;
    // Tick() after `ms`, in place of any earlier request; -1 cancels it.
    virtual void CallBackIn(int ms) = 0;
    virtual void Say(const std::string& line) = 0;  // one line on stderr
    virtual void Exit(int code) = 0;
};

class IdleSupervisor {
  public:
    explicit IdleSupervisor(IdleHost& host) : host_(host) {}

    // SessionIdle, SessionActive, InhibitionChanged from the source;
    // SaverEnded when the saver's process has ended.
    void OnEvent(IdleEvent event);
    void InhibitedAnswer(bool inhibited);  // the answer AskInhibited left for later
    void LockChanged(LockSource source, bool locked);
    void Tick();
    // The source is gone: its line once, then --idle ends with code 1.
    void SourceLost(const std::string& line);
    // Ends the saver (with its grace), then exits with `code`.
    void Quit(int code);

    bool SaverShows() const { return phase_ >= Phase::Running; }
    bool Locked() const { return locks_ != 0; }

  private:
    enum class Phase { Waiting, Asking, Running, Ending, Killed };
    void Decide();
    void Answered(bool inhibited);
    void HoldOff(bool recheck);
    void EndSaver();
    void Finish();
    void CallBack(int ms);

    IdleHost& host_;
    Phase phase_ = Phase::Waiting;
    bool idle_ = false;
    bool needActivity_ = false;  // the saver ended while idle: not again until input
    bool heldOff_ = false;
    bool callBack_ = false;
    bool quitting_ = false;
    bool exited_ = false;
    int code_ = 0;
    unsigned locks_ = 0;  // a bit per LockSource
};

}  // namespace zarvella

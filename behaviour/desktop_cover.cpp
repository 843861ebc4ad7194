#include "behaviour/desktop_cover.h"

#include <algorithm>

namespace zarvella {

CoverPlan PlanCover(const DesktopFacts& facts) {
    CoverPlan plan;
    if (facts.system == WindowSystem::Wayland) {
        plan.windowPerOutput = true;
        plan.cursorKnown = false;
        return plan;
    }
    // The same on a bare display: a window manager started later must find
    // the saver unmanaged, on top and holding the input.
    plan.unmanaged = true;
    plan.grabInput = true;
    plan.keepOnTop = true;
    return plan;
}

int GrabRetryDelayMs(int failedTries) {
    return failedTries < kGrabQuickTries ? kGrabRetryMs : kGrabSlowRetryMs;
}

void CoverGrab(CoverHost& host, const CoverPlan& plan, CoverRecord& cover) {
    if (!plan.grabInput) return;
    cover.grabPending = false;
    if (!cover.keyboard) cover.keyboard = host.GrabKeyboard();
    if (!cover.pointer) cover.pointer = host.GrabPointer();
    if (cover.keyboard && cover.pointer) {
        cover.failedGrabs = 0;
        return;
    }
    cover.grabPending = true;
    host.GrabAgainIn(GrabRetryDelayMs(++cover.failedGrabs));
}

void CoverGrabLost(CoverHost& host, const CoverPlan& plan, CoverRecord& cover, bool keyboard,
                   bool pointer) {
    if (keyboard) cover.keyboard = false;
    if (pointer) cover.pointer = false;
    if (cover.grabPending) return;  // the retry under way takes it too
    cover.failedGrabs = 0;
    CoverGrab(host, plan, cover);
}

namespace {
void RaiseNow(CoverHost& host, CoverRecord& cover, int64_t nowMs) {
    host.Raise();
    cover.lastRaiseMs = nowMs;
    cover.raiseSpacingMs =
        std::clamp(cover.raiseSpacingMs * 2, kRaiseSpacingMinMs, kRaiseSpacingMaxMs);
}
}  // namespace

void CoverStackChanged(CoverHost& host, const CoverPlan& plan, CoverRecord& cover,
                       StackChange change, int64_t nowMs) {
    const bool covered = change == StackChange::OtherMapped ||
                         change == StackChange::OtherAboveOurs ||
                         change == StackChange::OursObscured;
    if (!plan.keepOnTop || !covered || cover.raisePending) return;
    const int64_t since = nowMs - cover.lastRaiseMs;
    if (since >= kRaiseQuietMs) cover.raiseSpacingMs = 0;
    if (since >= cover.raiseSpacingMs) return RaiseNow(host, cover, nowMs);
    cover.raisePending = true;
    host.RaiseIn(static_cast<int>(cover.raiseSpacingMs - since));
}

void CoverRaiseDue(CoverHost& host, CoverRecord& cover, int64_t nowMs) {
    cover.raisePending = false;
    RaiseNow(host, cover, nowMs);
}

}  // namespace zarvella

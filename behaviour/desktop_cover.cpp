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
    // the saver unmanaged, on top and with the focus.
    plan.unmanaged = true;
    plan.focusInput = true;
    plan.keepOnTop = true;
    return plan;
}

void CoverShown(CoverHost& host, const CoverPlan& plan, const CoverRecord& cover) {
    if (plan.focusInput && !cover.gaveWay) host.TakeFocus();
}

bool CoverGrabbedByOther(const CoverPlan& plan, CoverRecord& cover) {
    if (!plan.focusInput || cover.gaveWay) return false;
    cover.gaveWay = true;
    return true;
}

namespace {
void RaiseNow(CoverHost& host, const CoverPlan& plan, CoverRecord& cover, int64_t nowMs) {
    host.Restack();
    if (plan.focusInput) host.TakeFocus();
    cover.lastRaiseMs = nowMs;
    cover.raiseSpacingMs =
        std::clamp(cover.raiseSpacingMs * 2, kRaiseSpacingMinMs, kRaiseSpacingMaxMs);
}
}  // namespace

void CoverStackChanged(CoverHost& host, const CoverPlan& plan, CoverRecord& cover,
                       StackChange change, int64_t nowMs) {
    const bool displaced =
        plan.keepAtBottom
            ? change == StackChange::OursRaised
            : plan.keepOnTop &&
                  (change == StackChange::OtherMapped || change == StackChange::OtherAboveOurs ||
                   change == StackChange::OursObscured || change == StackChange::OursUnfocused);
    if (!displaced || cover.raisePending || cover.gaveWay) return;
    const int64_t since = nowMs - cover.lastRaiseMs;
    if (since >= kRaiseQuietMs) cover.raiseSpacingMs = 0;
    if (since >= cover.raiseSpacingMs) return RaiseNow(host, plan, cover, nowMs);
    cover.raisePending = true;
    host.RestackIn(static_cast<int>(cover.raiseSpacingMs - since));
}

void CoverRestackDue(CoverHost& host, const CoverPlan& plan, CoverRecord& cover, int64_t nowMs) {
    cover.raisePending = false;
    if (!cover.gaveWay) RaiseNow(host, plan, cover, nowMs);
}

}  // namespace zarvella

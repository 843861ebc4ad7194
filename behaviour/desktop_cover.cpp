#include "behaviour/desktop_cover.h"

namespace zarvella {

CoverPlan PlanCover(const DesktopFacts& facts) {
    CoverPlan plan;
    if (facts.system == WindowSystem::Wayland) {
        plan.windowPerOutput = true;
        plan.cursorKnown = false;
        return plan;
    }
    // A bare display: the one window already covers everything and has the
    // input, as it always had.
    plan.unmanaged = facts.windowManager;
    plan.grabInput = facts.windowManager;
    return plan;
}

int GrabRetryDelayMs(int failedTries) {
    return failedTries < kGrabTries ? kGrabRetryMs : 0;
}

}  // namespace zarvella

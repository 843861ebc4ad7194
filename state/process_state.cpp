#include "state/process_state.h"

namespace zarvella {

SaverSettingsRecord SaverSettings;
AnimationStateRecord AnimationState;
SurfaceGridRecord SurfaceGrid;
WalkRecord Walk;
int32_t CopyIndex = 0;
FrameRateRecord FrameRate;
ScreenPoint StartCursorPos;
DesktopLayoutRecord CurrentLayout;
MonitorViewportsRecord MonitorViewports;
bool SaverNoticeGiven = false;
std::atomic<bool> CloseRequested{false};
std::atomic<bool> PreviewSettingsReady{false};
std::atomic<uint32_t> RandomGeneratorState{0};

void ResetProcessState() {
    SaverSettings = {};
    AnimationState = {};
    SurfaceGrid = {};
    Walk = {};
    CopyIndex = 0;
    FrameRate = {};
    StartCursorPos = {};
    CurrentLayout = {};
    MonitorViewports = {};
    SaverNoticeGiven = false;
    CloseRequested.store(false);
    PreviewSettingsReady.store(false);
    RandomGeneratorState.store(0);
}

}  // namespace zarvella

#include "state/process_state.h"

namespace zarvella {

PictureRecord SaverPicture;
FrameRateRecord FrameRate;
ScreenPoint StartCursorPos;
bool StartCursorKnown = false;
DesktopLayoutRecord CurrentLayout;
bool SaverNoticeGiven = false;
std::atomic<bool> CloseRequested{false};
std::atomic<bool> PreviewSettingsReady{false};
std::atomic<uint32_t> RandomGeneratorState{0};

void ResetProcessState() {
    SaverPicture = {};
    FrameRate = {};
    StartCursorPos = {};
    StartCursorKnown = false;
    CurrentLayout = {};
    SaverNoticeGiven = false;
    CloseRequested.store(false);
    PreviewSettingsReady.store(false);
    RandomGeneratorState.store(0);
}

}  // namespace zarvella

#include "shell/preview.h"

#include "engine/random.h"
#include "engine/render.h"
#include "settings/settings.h"

namespace zarvella {

std::atomic<bool> CloseRequested{false};

namespace {
std::atomic<bool> SettingsStored{false};
}

void ResetPreviewState() {
    CloseRequested.store(false);
    SettingsStored.store(false);
}

void StorePreviewSettings() {
    SaverSettingsRecord& s = SaverSettings;
    s.Speed = 1;
    s.Brightness = 5;
    s.Size = 7;
    s.Segments = 5;
    s.Detail = 10;
    s.PictureKind = RandomInt(9) + 1;
    SettingsStored.store(true, std::memory_order_release);
}

bool PreviewSettingsStored() {
    return SettingsStored.load(std::memory_order_acquire);
}

void PreviewThread(PreviewHost& host) {
    SeedRandom();
    host.ShowAndUpdate();
    StorePreviewSettings();
    do {
        host.Invalidate();
        host.Sleep(kPreviewRepaintMs);
    } while (!CloseRequested.load());
    host.PostDestroy();
}

void PreviewPaint() {
    if (PreviewSettingsStored()) RenderFrame();
}

void PreviewKeyDown(bool passwordAccepted) {
    CloseRequested.store(passwordAccepted);
}

}  // namespace zarvella

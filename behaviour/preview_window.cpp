#include "behaviour/preview_window.h"

#include "behaviour/window_handle.h"
#include "engine/animation.h"
#include "engine/random.h"
#include "engine/render.h"

namespace zarvella {

void StorePreviewSettings() {
    SaverSettingsRecord& s = SaverPicture.settings;
    s.Speed = 1;
    s.Brightness = 5;
    s.Size = 7;
    s.Segments = 5;
    s.Detail = 10;
    s.PictureKind = RandomInt(9) + 1;
    PreviewSettingsReady.store(true, std::memory_order_release);
}

bool PreviewSettingsStored() {
    return PreviewSettingsReady.load(std::memory_order_acquire);
}

void PreviewThread(PreviewHost& host) {
    SeedRandom();
    host.ShowAndUpdate();
    StorePreviewSettings();
    do {
        if (CanBeSeen(host.Sight())) host.Invalidate();
        host.Sleep(kPreviewRepaintMs);
    } while (!CloseRequested.load() && !host.WindowGone());
    host.PostDestroy();
}

void PreviewPaint() {
    if (PreviewSettingsStored()) RenderFrame();
}

void PreviewKeyDown(bool passwordAccepted) {
    CloseRequested.store(passwordAccepted);
}

bool PreviewTakesKey(bool altHeld) {
    return !altHeld;
}

PreviewStart DecidePreviewStart(std::string_view secondArgument, PreviewParentHost& host) {
    PreviewStart start;
    start.parent = ParseWindowHandle(secondArgument);
    if (start.parent == 0) return start;
    const std::optional<AreaSize> area =
        host.IsDesktop(start.parent) ? std::nullopt : host.ParentArea(start.parent);
    if (!area) {
        start.kind = PreviewStart::Kind::EndAtOnce;
        return start;
    }
    start.error = UndrawableWindowError(start.parent, host.Target(start.parent));
    if (!start.error.empty()) {
        start.kind = PreviewStart::Kind::Refuse;
        return start;
    }
    start.kind = PreviewStart::Kind::Child;
    start.width = area->width;
    start.height = area->height;
    return start;
}

void SeedPreviewPicture() {
    SeedRandom();
    SaverPicture.animation = SeedAnimationState();
}

}  // namespace zarvella

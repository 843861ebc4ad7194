#include "behaviour/preview_window.h"

#include "behaviour/window_handle.h"
#include "engine/animation.h"
#include "engine/random.h"
#include "engine/render.h"

namespace zarvella {

void StorePreviewSettings(PreviewRecord& preview) {
    PictureRecord& picture = preview.picture;
    SaverSettingsRecord& s = picture.settings;
    s.Speed = 1;
    s.Brightness = 5;
    s.Size = 7;
    s.Segments = 5;
    s.Detail = 10;
    s.PictureKind = RandomInt(picture.random, 9) + 1;
    preview.settingsReady.store(true, std::memory_order_release);
}

bool PreviewSettingsStored(const PreviewRecord& preview) {
    return preview.settingsReady.load(std::memory_order_acquire);
}

// On a thread of its own, the picture is that thread's until the settings
// are stored, the main thread's after.
void StartPreviewRepaints(PreviewHost& host, PreviewRecord& preview) {
    SeedRandom(preview.picture.random);
    host.ShowAndUpdate();
    StorePreviewSettings(preview);
    host.Invalidate();
}

bool NextPreviewRepaint(PreviewHost& host, const PreviewRecord& preview) {
    if (preview.closeRequested.load() || host.WindowGone()) {
        host.PostDestroy();
        return false;
    }
    if (CanBeSeen(host.Sight())) host.Invalidate();
    return true;
}

void PreviewThread(PreviewLoopHost& host, PreviewRecord& preview) {
    StartPreviewRepaints(host, preview);
    do {
        host.Sleep(kPreviewRepaintMs);
    } while (NextPreviewRepaint(host, preview));
}

void PreviewPaint(PreviewRecord& preview, FrameHooks& hooks) {
    if (PreviewSettingsStored(preview)) RenderFrame(preview.picture, hooks);
}

void PreviewKeyDown(PreviewRecord& preview, bool passwordAccepted) {
    preview.closeRequested.store(passwordAccepted);
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

// Its own seeding, after the picture kind's (docs/compatibility.md).
void SeedPreviewPicture(PictureRecord& picture) {
    SeedRandom(picture.random);
    picture.animation = SeedAnimationState(picture.random);
}

}  // namespace zarvella

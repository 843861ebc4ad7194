#include "behaviour/monitors.h"

#include <algorithm>
#include <limits>

namespace zarvella {

namespace {

int32_t Saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int64_t Right(const PixelRect& m) {
    return int64_t{m.x} + m.width;
}
int64_t Bottom(const PixelRect& m) {
    return int64_t{m.y} + m.height;
}

// value * numerator / denominator, rounded to nearest with halves away from
// zero (Windows' MulDiv); denominator > 0.
int32_t MulDiv(int32_t value, int64_t numerator, int64_t denominator) {
    const int64_t product = int64_t{value} * numerator;
    const int64_t half = denominator / 2;
    const int64_t rounded =
        product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
    return Saturate(rounded);
}

}  // namespace

DesktopLayoutRecord LayoutDesktop(const PixelRect* monitors, int count) {
    DesktopLayoutRecord layout;
    int64_t left = 0, top = 0, right = 0, bottom = 0;
    bool any = false;
    for (int k = 0; k < count; ++k) {
        const PixelRect& m = monitors[k];
        if (m.width <= 0 || m.height <= 0) continue;
        left = any ? std::min<int64_t>(left, m.x) : m.x;
        top = any ? std::min<int64_t>(top, m.y) : m.y;
        right = any ? std::max(right, Right(m)) : Right(m);
        bottom = any ? std::max(bottom, Bottom(m)) : Bottom(m);
        any = true;
        if (layout.count < kMaxMonitors) layout.monitors[layout.count++] = m;
    }
    if (any) {
        layout.window = {Saturate(left), Saturate(top), Saturate(right - left),
                         Saturate(bottom - top)};
    }
    return layout;
}

MonitorViewportsRecord ViewportsFor(const DesktopLayoutRecord& layout, bool setOnNextFrame) {
    MonitorViewportsRecord list;
    const PixelRect& w = layout.window;
    for (int k = 0; k < layout.count; ++k) {
        const PixelRect& m = layout.monitors[k];
        list.each[k] = {Saturate(int64_t{m.x} - w.x), Saturate(Bottom(w) - Bottom(m)), m.width,
                        m.height};
    }
    list.count = layout.count;
    list.setOnNextFrame = setOnNextFrame;
    return list;
}

void PutPrimaryFirst(std::vector<PixelRect>& monitors, size_t primary) {
    if (primary >= monitors.size()) return;
    std::rotate(monitors.begin(), monitors.begin() + static_cast<std::ptrdiff_t>(primary),
                monitors.begin() + static_cast<std::ptrdiff_t>(primary) + 1);
}

int32_t ScaleForDpi(int32_t value, int32_t dpi) {
    return MulDiv(value, dpi <= 0 ? kDefaultDpi : dpi, kDefaultDpi);
}

ControlRect ScaleForDpi(const ControlRect& rect, int32_t dpi) {
    return {ScaleForDpi(rect.left, dpi), ScaleForDpi(rect.top, dpi), ScaleForDpi(rect.width, dpi),
            ScaleForDpi(rect.height, dpi)};
}

PixelSize FitWithin(PixelSize size, PixelSize available) {
    const int64_t w = size.width, h = size.height, aw = available.width, ah = available.height;
    if (aw <= 0 || ah <= 0 || w <= 0 || h <= 0 || (w <= aw && h <= ah)) return size;
    // Width binds when w / h > aw / ah.
    if (w * ah > h * aw) return {available.width, Saturate(std::max<int64_t>(1, h * aw / w))};
    return {Saturate(std::max<int64_t>(1, w * ah / h)), available.height};
}

ControlRect ScaleToSize(const ControlRect& rect, PixelSize from, PixelSize to) {
    if (from.width <= 0 || from.height <= 0) return rect;
    return {MulDiv(rect.left, to.width, from.width), MulDiv(rect.top, to.height, from.height),
            MulDiv(rect.width, to.width, from.width), MulDiv(rect.height, to.height, from.height)};
}

}  // namespace zarvella

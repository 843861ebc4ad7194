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

int32_t ScaleForDpi(int32_t value, int32_t dpi) {
    if (dpi <= 0) dpi = kDefaultDpi;
    const int64_t product = int64_t{value} * dpi;
    const int64_t half = kDefaultDpi / 2;
    const int64_t rounded =
        product >= 0 ? (product + half) / kDefaultDpi : -((-product + half) / kDefaultDpi);
    return Saturate(rounded);
}

ControlRect ScaleForDpi(const ControlRect& rect, int32_t dpi) {
    return {ScaleForDpi(rect.left, dpi), ScaleForDpi(rect.top, dpi), ScaleForDpi(rect.width, dpi),
            ScaleForDpi(rect.height, dpi)};
}

}  // namespace zarvella

// How much of the settings a frame uses: a frame fills at most 31 of the
// grid's 51 rows (Detail 30, the settings window's largest) and draws at most
// 11 copies, whatever the stored values say (they are kept as they are). Both
// the grid stage and the surface stage read these (docs/compatibility.md).
#pragma once

#include <algorithm>
#include <cstdint>

#include "state/picture_record.h"

namespace zarvella {

inline constexpr int32_t kMaxFrameDetail = 30;
inline constexpr int32_t kMaxFrameSegments = 10;

inline int32_t FrameDetail(const SaverSettingsRecord& settings) {
    return std::min(settings.Detail, kMaxFrameDetail);
}
inline int32_t FrameSegments(const SaverSettingsRecord& settings) {
    return std::min(settings.Segments, kMaxFrameSegments);
}

}  // namespace zarvella

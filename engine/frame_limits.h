// How much of the settings a frame uses: the grid holds at most 30 rows and a
// frame draws at most 11 copies, whatever the stored values say (they are
// kept as they are). Both the grid stage and the surface stage read these.
#pragma once

#include <algorithm>
#include <cstdint>

#include "state/process_state.h"

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

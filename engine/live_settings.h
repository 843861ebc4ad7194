// The engine's one way to the settings: the live record, read at every use,
// so a slider in the settings window changes the very next frame. Nothing in
// the engine writes it.
#pragma once

#include "state/process_state.h"

namespace zarvella {

inline const SaverSettingsRecord& LiveSettings() {
    return SaverSettings;
}

}  // namespace zarvella

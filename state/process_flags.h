// The only mutable values the core keeps for the whole process. Everything
// else a window keeps lives in its own records (state/picture_record.h).
#pragma once

#include <atomic>

namespace zarvella {

// The preview's handshake between its two threads (behaviour/preview_window):
// a process shows one preview, and on Windows its window procedure on the
// main thread and its repaint thread both reach these, so they are atomic
// and global.
// The preview thread has stored the picture's fixed settings (release), so
// the main thread may draw (acquire).
extern std::atomic<bool> PreviewSettingsReady;
// A key on the stand-alone preview asked it to close.
extern std::atomic<bool> PreviewCloseRequested;

}  // namespace zarvella

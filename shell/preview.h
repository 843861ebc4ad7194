// The preview's two threads: the main thread draws on every paint; the
// preview thread shows the window, stores the fixed settings, asks for a
// repaint every 40 ms and ends the loop once a close is requested.
#pragma once

#include <atomic>

namespace zarvella {

inline constexpr int kPreviewRepaintMs = 40;
inline constexpr const char* kPreviewWindowTitle = "MySaver";
// Size of the stand-alone window when there is no parent to take it from.
inline constexpr int kStandAloneWidth = 320;
inline constexpr int kStandAloneHeight = 240;

// Set from the key handler with the password check's answer.
extern std::atomic<bool> CloseRequested;

class PreviewHost {
  public:
    virtual ~PreviewHost() = default;
    // Show the window and have it painted at once.
    virtual void ShowAndUpdate() = 0;
    // Mark the whole window for repainting, without erasing.
    virtual void Invalidate() = 0;
    virtual void Sleep(int milliseconds) = 0;
    // Post the destroy message that ends the main thread's loop.
    virtual void PostDestroy() = 0;
};

void ResetPreviewState();

// The preview's fixed settings: Speed 1, Brightness 5, Size 7, Segments 5,
// Detail 10, PictureKind 1 to 9 at random.
void StorePreviewSettings();

// True once the preview thread has stored the fixed settings. The main
// thread draws only after that, so no frame sees the zero start values and
// the settings are never read while being written.
bool PreviewSettingsStored();

// The body of the preview thread.
void PreviewThread(PreviewHost& host);

// WM_PAINT on the main thread: a frame, once the settings are in place.
void PreviewPaint();

// A key on the stand-alone window: the password check's answer.
void PreviewKeyDown(bool passwordAccepted);

}  // namespace zarvella

// One output's background layer surface: its wl_output, the surface and its
// scale objects, and the EGL window, context and surface drawing into it.
// It turns the compositor's events into the core's records
// (behaviour/layer_surfaces.h) and draws when the loop says so.
#pragma once

#include <EGL/egl.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <cstdint>
#include <vector>

#include "behaviour/layer_surfaces.h"
#include "behaviour/visibility.h"
#include "protocol/fractional-scale-v1.h"
#include "protocol/presentation-time.h"
#include "protocol/viewporter.h"
#include "protocol/wlr-layer-shell-unstable-v1.h"
#include "protocol/xdg-output-unstable-v1.h"
#include "state/window_records.h"

namespace zarvella::wayland_shell {

// The compositor's globals the surfaces are made with; those it does not
// offer are null (only the compositor and the layer shell are needed).
struct Globals {
    wl_compositor* compositor = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    zxdg_output_manager_v1* xdgOutputs = nullptr;
    wp_fractional_scale_manager_v1* fractionalScales = nullptr;
    wp_viewporter* viewporter = nullptr;
    wp_presentation* presentation = nullptr;  // each frame's fate
    EGLDisplay egl = EGL_NO_DISPLAY;
    EGLConfig eglConfig = nullptr;
};

class OutputSurface {
  public:
    OutputSurface(const Globals& globals, wl_output* output, uint32_t name);
    ~OutputSurface();
    OutputSurface(const OutputSurface&) = delete;
    OutputSurface& operator=(const OutputSurface&) = delete;

    uint32_t Name() const { return name_; }
    const LayerOutputRecord& State() const { return state_; }
    // It can show the next frame (OutputReady), and the compositor has not
    // been discarding its frames, or a probe frame is due.
    bool Ready(int64_t nowUs) const;
    // How long the loop may wait for its next probe frame; -1: none.
    int ProbeWaitMs(int64_t nowUs) const;
    // The xdg-output manager came after this output.
    void WatchLogicalSize();
    // A surface the compositor closed, made again when the core says so
    // (RemakeClosedSurface); after the events read with the close are
    // dispatched, so an output that went with it is gone by then.
    void RemakeClosedSurface();
    // glClear, the picture in the whole buffer, the frame rate when given
    // (-fps); asks for the next frame callback and swaps (which commits).
    // False when no GL context could be made for it.
    bool Draw(const PictureRecord& picture, uint64_t frame, const FrameRateRecord* frameRate,
              int64_t nowUs);

  private:
    static const wl_output_listener kOutputEvents;
    static const zxdg_output_v1_listener kXdgOutputEvents;
    static const zwlr_layer_surface_v1_listener kLayerEvents;
    static const wp_fractional_scale_v1_listener kFractionalEvents;
    static const wl_callback_listener kFrameEvents;
    static const wp_presentation_feedback_listener kFeedbackEvents;
    void FrameFate(struct wp_presentation_feedback* feedback, zarvella::FrameFate fate);

    void CreateSurface();
    void DestroySurface();
    // The buffer for the configured size at the current scale.
    void Resize();
    bool MakeContext();

    const Globals& globals_;
    wl_output* output_;
    uint32_t name_;
    zxdg_output_v1* xdgOutput_ = nullptr;
    OutputScaleRecord scale_;
    int32_t logicalWidth_ = 0, logicalHeight_ = 0;  // zxdg_output_v1
    int32_t configuredWidth_ = 0, configuredHeight_ = 0;

    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layer_ = nullptr;
    wp_fractional_scale_v1* fractional_ = nullptr;
    wp_viewport* viewport_ = nullptr;
    wl_callback* frame_ = nullptr;
    LayerOutputRecord state_;
    PresentationSightRecord sight_;
    std::vector<struct wp_presentation_feedback*> feedbacks_;  // frames whose fate is still to come
    LayerBufferRecord buffer_;
    bool remake_ = false;  // the compositor closed the surface: make it again

    wl_egl_window* window_ = nullptr;
    EGLSurface eglSurface_ = EGL_NO_SURFACE;
    EGLContext context_ = EGL_NO_CONTEXT;
};

}  // namespace zarvella::wayland_shell

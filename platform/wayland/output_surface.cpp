#include "platform/wayland/output_surface.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>

#include "engine/frame_rate.h"
#include "engine/render.h"

namespace zarvella::wayland_shell {

namespace {
OutputSurface* Self(void* data) {
    return static_cast<OutputSurface*>(data);
}
}  // namespace

// Each event handler only stores what it is told; the core's records decide.
const wl_output_listener OutputSurface::kOutputEvents = {
    .geometry = [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                   const char*, int32_t) {},
    .mode =
        [](void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
            if (flags & WL_OUTPUT_MODE_CURRENT)
                Self(data)->scale_.modeLong = std::max(width, height);
        },
    .done =
        [](void* data, wl_output*) {
            OutputSurface* self = Self(data);
            if (!self->globals_.layerShell || !self->globals_.compositor) return;
            if (!self->surface_) {
                self->CreateSurface();
                return;
            }
            self->Resize();
        },
    .scale = [](void* data, wl_output*, int32_t factor) { Self(data)->scale_.integer = factor; },
    .name = [](void*, wl_output*, const char*) {},
    .description = [](void*, wl_output*, const char*) {},
};

const zxdg_output_v1_listener OutputSurface::kXdgOutputEvents = {
    .logical_position = [](void*, zxdg_output_v1*, int32_t, int32_t) {},
    .logical_size =
        [](void* data, zxdg_output_v1*, int32_t width, int32_t height) {
            OutputSurface* self = Self(data);
            self->logicalWidth_ = width;
            self->logicalHeight_ = height;
            self->scale_.logicalLong = std::max(width, height);
        },
    .done = [](void*, zxdg_output_v1*) {},
    .name = [](void*, zxdg_output_v1*, const char*) {},
    .description = [](void*, zxdg_output_v1*, const char*) {},
};

const zwlr_layer_surface_v1_listener OutputSurface::kLayerEvents = {
    .configure =
        [](void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
           uint32_t height) {
            OutputSurface* self = Self(data);
            zwlr_layer_surface_v1_ack_configure(layer, serial);
            self->configuredWidth_ = static_cast<int32_t>(std::min<uint32_t>(width, INT32_MAX));
            self->configuredHeight_ = static_cast<int32_t>(std::min<uint32_t>(height, INT32_MAX));
            self->state_.configured = true;
            self->Resize();
        },
    // The compositor took the surface away: made again at once, or with the
    // output's next done (zarvella::RemakeClosedSurface).
    .closed =
        [](void* data, zwlr_layer_surface_v1*) {
            OutputSurface* self = Self(data);
            self->remake_ = zarvella::RemakeClosedSurface(self->state_);
            self->DestroySurface();
        },
};

const wp_fractional_scale_v1_listener OutputSurface::kFractionalEvents = {
    .preferred_scale =
        [](void* data, wp_fractional_scale_v1*, uint32_t scale) {
            OutputSurface* self = Self(data);
            self->scale_.fractional120 = static_cast<int32_t>(std::min<uint32_t>(scale, 120 * 32));
            self->Resize();
        },
};

const wl_callback_listener OutputSurface::kFrameEvents = {
    .done =
        [](void* data, wl_callback* callback, uint32_t) {
            OutputSurface* self = Self(data);
            wl_callback_destroy(callback);
            self->frame_ = nullptr;
            self->state_.framePending = false;
        },
};

// What became of a frame: shown, or never shown (nobody sees the surface,
// or a later frame replaced it first).
const wp_presentation_feedback_listener OutputSurface::kFeedbackEvents = {
    .sync_output = [](void*, struct wp_presentation_feedback*, wl_output*) {},
    .presented = [](void* data, struct wp_presentation_feedback* feedback, uint32_t, uint32_t,
                    uint32_t, uint32_t, uint32_t, uint32_t,
                    uint32_t) { Self(data)->FrameFate(feedback, FrameFate::Presented); },
    .discarded =
        [](void* data, struct wp_presentation_feedback* feedback) {
            Self(data)->FrameFate(feedback, FrameFate::Discarded);
        },
};

void OutputSurface::FrameFate(struct wp_presentation_feedback* feedback, zarvella::FrameFate fate) {
    std::erase(feedbacks_, feedback);
    wp_presentation_feedback_destroy(feedback);
    NoteFrameFate(sight_, fate);
}

bool OutputSurface::Ready(int64_t nowUs) const {
    return OutputReady(state_) && PresentationAllowsFrame(sight_, nowUs);
}

int OutputSurface::ProbeWaitMs(int64_t nowUs) const {
    return OutputReady(state_) ? zarvella::ProbeWaitMs(sight_, nowUs) : -1;
}

OutputSurface::OutputSurface(const Globals& globals, wl_output* output, uint32_t name)
    : globals_(globals), output_(output), name_(name) {
    scale_.viewporter = globals.viewporter != nullptr;
    wl_output_add_listener(output_, &kOutputEvents, this);
    WatchLogicalSize();
}

OutputSurface::~OutputSurface() {
    DestroySurface();
    if (xdgOutput_) zxdg_output_v1_destroy(xdgOutput_);
    if (wl_output_get_version(output_) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release(output_);
    else
        wl_output_destroy(output_);
}

void OutputSurface::WatchLogicalSize() {
    if (xdgOutput_ || !globals_.xdgOutputs) return;
    xdgOutput_ = zxdg_output_manager_v1_get_xdg_output(globals_.xdgOutputs, output_);
    zxdg_output_v1_add_listener(xdgOutput_, &kXdgOutputEvents, this);
}

void OutputSurface::RemakeClosedSurface() {
    if (remake_ && !surface_) CreateSurface();
    remake_ = false;
}

void OutputSurface::CreateSurface() {
    surface_ = wl_compositor_create_surface(globals_.compositor);
    // It takes no input: clicks and touches go past it.
    wl_region* none = wl_compositor_create_region(globals_.compositor);
    wl_surface_set_input_region(surface_, none);
    wl_region_destroy(none);
    if (globals_.fractionalScales) {
        fractional_ = wp_fractional_scale_manager_v1_get_fractional_scale(globals_.fractionalScales,
                                                                          surface_);
        wp_fractional_scale_v1_add_listener(fractional_, &kFractionalEvents, this);
    }
    if (globals_.viewporter) viewport_ = wp_viewporter_get_viewport(globals_.viewporter, surface_);
    const LayerSurfaceRequest& r = kBackgroundSurface;
    layer_ = zwlr_layer_shell_v1_get_layer_surface(globals_.layerShell, surface_, output_, r.layer,
                                                   kLayerNamespace);
    zwlr_layer_surface_v1_set_size(layer_, r.width, r.height);
    zwlr_layer_surface_v1_set_anchor(layer_, r.anchor);
    zwlr_layer_surface_v1_set_exclusive_zone(layer_, r.exclusiveZone);
    zwlr_layer_surface_v1_set_keyboard_interactivity(layer_, r.keyboard);
    zwlr_layer_surface_v1_add_listener(layer_, &kLayerEvents, this);
    wl_surface_commit(surface_);  // no buffer yet: asks for the first configure
}

void OutputSurface::DestroySurface() {
    if (context_ != EGL_NO_CONTEXT) {
        eglMakeCurrent(globals_.egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(globals_.egl, context_);
    }
    if (eglSurface_ != EGL_NO_SURFACE) eglDestroySurface(globals_.egl, eglSurface_);
    if (window_) wl_egl_window_destroy(window_);
    if (frame_) wl_callback_destroy(frame_);
    for (struct wp_presentation_feedback* feedback : feedbacks_)
        wp_presentation_feedback_destroy(feedback);
    feedbacks_.clear();
    sight_ = {};
    if (layer_) zwlr_layer_surface_v1_destroy(layer_);
    if (viewport_) wp_viewport_destroy(viewport_);
    if (fractional_) wp_fractional_scale_v1_destroy(fractional_);
    if (surface_) wl_surface_destroy(surface_);
    context_ = EGL_NO_CONTEXT;
    eglSurface_ = EGL_NO_SURFACE;
    window_ = nullptr;
    frame_ = nullptr;
    layer_ = nullptr;
    viewport_ = nullptr;
    fractional_ = nullptr;
    surface_ = nullptr;
    state_ = {};
    buffer_ = {};
    configuredWidth_ = configuredHeight_ = 0;
}

void OutputSurface::Resize() {
    if (!state_.configured) return;
    const LayerBufferRecord buffer =
        LayerBufferFor(configuredWidth_, configuredHeight_, scale_, logicalWidth_, logicalHeight_);
    state_.empty = buffer.width == 0;
    if (buffer == buffer_) return;
    buffer_ = buffer;
    state_.drawn = false;
    if (buffer_.width == 0) return;
    // Both are the surface's pending state, applied with the next frame's swap.
    if (viewport_)
        wp_viewport_set_destination(viewport_, buffer_.viewport ? buffer_.logicalWidth : -1,
                                    buffer_.viewport ? buffer_.logicalHeight : -1);
    wl_surface_set_buffer_scale(surface_, buffer_.bufferScale);
    if (window_) wl_egl_window_resize(window_, buffer_.width, buffer_.height, 0, 0);
}

bool OutputSurface::MakeContext() {
    window_ = wl_egl_window_create(surface_, buffer_.width, buffer_.height);
    eglSurface_ =
        window_ ? eglCreateWindowSurface(globals_.egl, globals_.eglConfig,
                                         reinterpret_cast<EGLNativeWindowType>(window_), nullptr)
                : EGL_NO_SURFACE;
    if (eglSurface_ != EGL_NO_SURFACE)
        context_ = eglCreateContext(globals_.egl, globals_.eglConfig, EGL_NO_CONTEXT, nullptr);
    if (context_ == EGL_NO_CONTEXT ||
        !eglMakeCurrent(globals_.egl, eglSurface_, eglSurface_, context_)) {
        std::fprintf(stderr, "zarvella: no OpenGL context for a Wayland output (EGL error 0x%x)\n",
                     static_cast<unsigned>(eglGetError()));
        return false;
    }
    // The frame callbacks pace the frames, so the swap must not wait for one.
    eglSwapInterval(globals_.egl, 0);
    SetupGL(GlVariant::FullScreen);
    return true;
}

bool OutputSurface::Draw(const PictureRecord& picture, uint64_t frame,
                         const FrameRateRecord* frameRate, int64_t nowUs) {
    if (!OutputDrawsNow(state_, frame) || !PresentationAllowsFrame(sight_, nowUs)) return true;
    if (context_ == EGL_NO_CONTEXT) {
        if (!MakeContext()) return false;
    } else {
        eglMakeCurrent(globals_.egl, eglSurface_, eglSurface_, context_);
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const PixelRect viewport = OutputViewport(buffer_);
    DrawPictureIn(picture, viewport);
    if (frameRate) DrawFrameRateText(frameRate->rate, viewport.width, viewport.height);
    frame_ = wl_surface_frame(surface_);
    wl_callback_add_listener(frame_, &kFrameEvents, this);
    state_.framePending = true;
    state_.drawn = true;
    state_.shownFrame = frame;
    if (globals_.presentation && AskFrameFate(static_cast<int>(feedbacks_.size()))) {
        // for the commit the swap makes
        feedbacks_.push_back(wp_presentation_feedback(globals_.presentation, surface_));
        wp_presentation_feedback_add_listener(feedbacks_.back(), &kFeedbackEvents, this);
    }
    NoteFrameDrawn(sight_, nowUs);
    eglSwapBuffers(globals_.egl, eglSurface_);
    return true;
}

}  // namespace zarvella::wayland_shell

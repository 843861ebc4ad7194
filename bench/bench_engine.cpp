// Frame costs of the picture engine. GL work runs in Mesa's worker threads,
// so everything that draws is timed by the wall clock and ends with glFinish.
#include <GL/osmesa.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/animation.h"
#include "engine/random.h"
#include "engine/render.h"
#include "engine/surface.h"
#include "engine/trig.h"
#include "settings/settings.h"

using namespace zarvella;

namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;

// The sliders' defaults and their top values.
constexpr SaverSettingsRecord kTopSettings{100, 15, 10, 10, 30, 1, false};

class OffscreenScreen {
  public:
    OffscreenScreen(int width, int height)
        : pixels_(static_cast<size_t>(width) * height * 4),
          context_(OSMesaCreateContextExt(OSMESA_RGBA, 16, 0, 0, nullptr)) {
        ok_ = context_ &&
              OSMesaMakeCurrent(context_, pixels_.data(), GL_UNSIGNED_BYTE, width, height);
        if (ok_) SetupGL(GlVariant::FullScreen);
    }
    ~OffscreenScreen() {
        if (context_) OSMesaDestroyContext(context_);
    }
    bool ok() const { return ok_; }

  private:
    std::vector<unsigned char> pixels_;
    OSMesaContext context_;
    bool ok_ = false;
};

// The picture the benchmarks draw, started anew by each.
PictureRecord Picture;

void StartPicture(const SaverSettingsRecord& settings, int kind) {
    Picture = {};
    Picture.settings = settings;
    Picture.settings.PictureKind = kind;
    Picture.random.state = 20261207u + kind;
    Picture.animation = SeedAnimationState(Picture.random);
}

void BM_BuildSurfaceGrid(benchmark::State& state) {
    StartPicture(kDefaultSettings, static_cast<int>(state.range(0)));
    const int detail = static_cast<int>(state.range(1));
    Picture.settings.Detail = detail;
    for (auto _ : state) {
        BuildSurfaceGrid(Picture.settings, Picture.animation, Picture.grid);
        benchmark::DoNotOptimize(Picture.grid.GridB[detail][2 * detail]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * (detail + 1) * (detail + 1));
}
BENCHMARK(BM_BuildSurfaceGrid)
    ->ArgNames({"kind", "detail"})
    ->ArgsProduct({benchmark::CreateDenseRange(1, 10, 1), {10, 30}});

void BM_DrawSurface(benchmark::State& state) {
    OffscreenScreen screen(kScreenWidth, kScreenHeight);
    if (!screen.ok()) return state.SkipWithError("no OSMesa context");
    StartPicture(state.range(1) ? kTopSettings : kDefaultSettings,
                 static_cast<int>(state.range(0)));
    BuildSurfaceGrid(Picture.settings, Picture.animation, Picture.grid);
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        DrawSurface(Picture.settings, Picture.grid);
        glFinish();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DrawSurface)
    ->ArgNames({"kind", "top"})
    ->ArgsProduct({benchmark::CreateDenseRange(1, 10, 1), {0, 1}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void FinishFrame() {
    glFinish();
}

void BM_RenderFrame(benchmark::State& state) {
    OffscreenScreen screen(kScreenWidth, kScreenHeight);
    if (!screen.ok()) return state.SkipWithError("no OSMesa context");
    StartPicture(state.range(1) ? kTopSettings : kDefaultSettings,
                 static_cast<int>(state.range(0)));
    FrameHooks hooks;
    hooks.swap = FinishFrame;
    for (auto _ : state) RenderFrame(Picture, hooks);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RenderFrame)
    ->ArgNames({"kind", "top"})
    ->ArgsProduct({benchmark::CreateDenseRange(1, 10, 1), {0, 1}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The triangles DrawSurface sends for the grid as it stands (NaN colours as 0,
// non-finite triangles left out), turned and pushed away on the CPU.
struct FrameArrays {
    std::vector<GLfloat> colours;     // 4 per vertex
    std::vector<GLfloat> vertices;    // 3 per vertex
    std::vector<GLsizei> copyStarts;  // first vertex of each copy, then the total
};

FrameArrays RecordFrame() {
    BuildSurfaceGrid(Picture.settings, Picture.animation, Picture.grid);
    const SurfaceGridRecord& g = Picture.grid;
    const int detail = FrameDetail(Picture.settings), segments = FrameSegments(Picture.settings);
    const auto finite = [&](int i, int j) {
        return std::isfinite(g.GridX[i][j]) && std::isfinite(g.GridY[i][j]) &&
               std::isfinite(g.GridZ[i][j]);
    };
    const auto channel = [](double c) { return std::isnan(c) ? 0.0f : static_cast<GLfloat>(c); };
    const GLfloat base = static_cast<GLfloat>(NeighbourAlpha(Picture.settings.Brightness));
    const GLfloat lift = static_cast<GLfloat>(Picture.settings.Size / 2.0 - 10.0);
    FrameArrays f;
    for (int copy = 0; copy <= segments; ++copy) {
        f.copyStarts.push_back(static_cast<GLsizei>(f.vertices.size() / 3));
        const double angle = (copy * 360.0 / (segments + 1)) * 3.14159265358979323846 / 180.0;
        const double c = std::cos(angle), s = std::sin(angle);
        const auto emit = [&](int i, int j, GLfloat alpha) {
            f.colours.insert(f.colours.end(), {channel(g.GridR[i][j]), channel(g.GridG[i][j]),
                                               channel(g.GridB[i][j]), alpha});
            const double x = g.GridX[i][j], y = g.GridY[i][j];
            f.vertices.insert(f.vertices.end(), {static_cast<GLfloat>(c * x - s * y),
                                                 static_cast<GLfloat>(s * x + c * y),
                                                 static_cast<GLfloat>(g.GridZ[i][j]) + lift});
        };
        for (int i = 1; i < detail; ++i)
            for (int j = 0; j <= 2 * i; ++j) {
                if (j == i) continue;
                const int l = j < i ? j : j + 1;
                if (!finite(i, j) || !finite(i + 1, l) || !finite(i + 1, l + 1)) continue;
                emit(i, j, 1.0f);
                emit(i + 1, l, base);
                emit(i + 1, l + 1, base);
            }
    }
    f.copyStarts.push_back(static_cast<GLsizei>(f.vertices.size() / 3));
    return f;
}

// The floor: clear, the triangles of BM_DrawSurface's frame with the same GL
// state and nothing else, finish.
void BM_FloorReplay(benchmark::State& state) {
    OffscreenScreen screen(kScreenWidth, kScreenHeight);
    if (!screen.ok()) return state.SkipWithError("no OSMesa context");
    StartPicture(state.range(1) ? kTopSettings : kDefaultSettings,
                 static_cast<int>(state.range(0)));
    const FrameArrays f = RecordFrame();
    const GLsizei count = static_cast<GLsizei>(f.vertices.size() / 3);
    const bool arrays = state.range(2) == 0;
    if (arrays) {
        glEnableClientState(GL_COLOR_ARRAY);
        glEnableClientState(GL_VERTEX_ARRAY);
        glColorPointer(4, GL_FLOAT, 0, f.colours.data());
        glVertexPointer(3, GL_FLOAT, 0, f.vertices.data());
    }
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        // One triangle list per copy, as DrawSurface sends them.
        for (size_t c = 0; c + 1 < f.copyStarts.size(); ++c) {
            const GLsizei first = f.copyStarts[c], end = f.copyStarts[c + 1];
            if (arrays) {
                glDrawArrays(GL_TRIANGLES, first, end - first);
            } else {
                glBegin(GL_TRIANGLES);
                for (GLsizei v = first; v < end; ++v) {
                    glColor4fv(&f.colours[4 * v]);
                    glVertex3fv(&f.vertices[3 * v]);
                }
                glEnd();
            }
        }
        glFinish();
    }
    state.SetLabel(std::to_string(count / 3) + " triangles");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FloorReplay)
    ->ArgNames({"kind", "top", "immediate"})
    ->ArgsProduct({benchmark::CreateDenseRange(1, 10, 1), {0, 1}, {0, 1}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    {
        OffscreenScreen probe(16, 16);
        if (probe.ok()) {
            benchmark::AddCustomContext("gl_renderer",
                                        reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
            benchmark::AddCustomContext("gl_version",
                                        reinterpret_cast<const char*>(glGetString(GL_VERSION)));
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

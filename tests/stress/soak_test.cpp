// Long runs of the engine with stored values far outside the sliders: every
// picture kind, extreme Speed, Brightness, Size, Segments and Detail, and
// phases pushed far past +-pi/2. The counting GL checks each frame's stream;
// the poisoned grid cells catch any write or read outside the walked area.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "counting_gl.h"
#include "engine/animation.h"
#include "engine/fpu.h"
#include "engine/random.h"
#include "engine/render.h"
#include "frame_checks.h"
#include "settings/settings.h"

using namespace zarvella;
using stress::FrameFault;
using stress::Gl;
using stress::PoisonedCellsChanged;
using stress::PoisonOutsideWalk;

namespace {

constexpr int kSoakFrames = 200000;
constexpr int kLightFrames = 700;  // per combination with a negative Detail
constexpr int kFullFrames = 250;   // per combination that walks the whole grid

struct MemoryFigures {
    long dataPages = 0;    // heap and other private mappings, resident or not
    long anonKiB = 0;      // private memory actually in use (RssAnon)
    size_t heapInUse = 0;  // malloc's own count (zero where a sanitizer owns malloc)
};

// Reads a /proc file into a fixed buffer, without stdio, so taking the figure
// does not allocate.
size_t ReadProcFile(const char* path, char* buffer, size_t size) {
    const int fd = ::open(path, O_RDONLY);
    if (fd < 0) return 0;
    size_t used = 0;
    while (used + 1 < size) {
        const ssize_t n = ::read(fd, buffer + used, size - 1 - used);
        if (n <= 0) break;
        used += static_cast<size_t>(n);
    }
    ::close(fd);
    buffer[used] = 0;
    return used;
}

MemoryFigures ReadMemory() {
    MemoryFigures m;
    char buffer[4096];
    if (ReadProcFile("/proc/self/statm", buffer, sizeof buffer) > 0) {
        long size = 0, resident = 0, shared = 0, text = 0, lib = 0, data = 0;
        if (std::sscanf(buffer, "%ld %ld %ld %ld %ld %ld", &size, &resident, &shared, &text, &lib,
                        &data) == 6)
            m.dataPages = data;
    }
    if (ReadProcFile("/proc/self/status", buffer, sizeof buffer) > 0) {
        if (const char* line = std::strstr(buffer, "RssAnon:"))
            std::sscanf(line + 8, "%ld", &m.anonKiB);
    }
    const struct mallinfo2 info = mallinfo2();
    m.heapInUse = info.uordblks + info.hblkhd;
    return m;
}

uint64_t Swaps = 0;
void CountSwap() {
    ++Swaps;
}

struct StoredValues {
    int32_t Speed, Brightness, Size, Segments, Detail;
};

// The far-out values, two per setting, and the sliders' top for comparison.
constexpr int32_t kSpeeds[2] = {-100, 1000000};
constexpr int32_t kBrightnesses[2] = {0, 1000000};
constexpr int32_t kSizes[2] = {-1000000, 1000000};
constexpr int32_t kSegments[2] = {-1, 1000000};
constexpr int32_t kDetails[2] = {-5, 1000000};
constexpr StoredValues kSliderTop{100, 15, 10, 10, 30};

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kTwoTo63 = 9223372036854775808.0;

// Phases and drifts set directly, far beyond what the drift ever reaches.
struct FarState {
    double phase, drift;
};
constexpr FarState kFarStates[] = {
    {1e6, 0.0},     {-1e6, 0.0},      {kTwoTo63, 0.01}, {-kTwoTo63, -0.01},
    {1e300, 1e300}, {-1e300, -1e300}, {4.0, 1e-300},    {-4.0, -1e-300},
    {kInf, 0.0},    {-kInf, 0.5},     {kNaN, 0.0},      {1.5707963267948966, 0.0},
    {2e19, -3.0},   {0.0, 0.0},
};
constexpr int kFarStateCount = sizeof kFarStates / sizeof kFarStates[0];

void SetFarState(PictureRecord& picture, int index) {
    const FarState& a = kFarStates[index % kFarStateCount];
    const FarState& b = kFarStates[(index + 5) % kFarStateCount];
    const FarState& c = kFarStates[(index + 9) % kFarStateCount];
    picture.animation = {a.phase, -b.phase, c.phase, a.drift, b.drift, -c.drift};
}

std::string Describe(int32_t kind, const StoredValues& v) {
    return "PictureKind " + std::to_string(kind) + ", Speed " + std::to_string(v.Speed) +
           ", Brightness " + std::to_string(v.Brightness) + ", Size " + std::to_string(v.Size) +
           ", Segments " + std::to_string(v.Segments) + ", Detail " + std::to_string(v.Detail);
}

class Soak : public ::testing::Test {
  protected:
    void SetUp() override {
        MaskFloatingPointExceptions();
        hooks.swap = &CountSwap;
        picture.random.state = 20261207u;
    }
    PictureRecord picture;
    FrameHooks hooks;
};

TEST_F(Soak, TwoHundredThousandFramesOfStoredValuesFarOutsideTheSliders) {
    std::vector<std::pair<int32_t, StoredValues>> combos;
    for (int32_t kind = -1; kind <= 11; ++kind) {
        for (int bits = 0; bits < 32; ++bits) {
            combos.push_back(
                {kind, StoredValues{kSpeeds[bits & 1], kBrightnesses[(bits >> 1) & 1],
                                    kSizes[(bits >> 2) & 1], kSegments[(bits >> 3) & 1],
                                    kDetails[(bits >> 4) & 1]}});
        }
        combos.push_back({kind, kSliderTop});
    }
    // Frames with nothing to walk cost next to nothing, so they get more of the
    // run; full frames (961 points, up to 11 copies) get fewer. 13 kinds x
    // (16 x 700 + 17 x 250) = 200,850 frames.
    auto framesFor = [](const StoredValues& v) {
        return v.Detail < 0 ? kLightFrames : kFullFrames;
    };

    int totalFrames = 0;
    double worstSeconds = 0;
    size_t worstCombo = 0;
    MemoryFigures atThousand{}, atEnd{};
    uint64_t mostCalls = 0;
    const uint64_t swapsBefore = Swaps;

    for (size_t c = 0; c < combos.size(); ++c) {
        const auto& [kind, values] = combos[c];
        picture = {};
        picture.settings = {
            values.Speed, values.Brightness, values.Size, values.Segments, values.Detail, kind,
            false};
        const int32_t detail = FrameDetail(picture.settings);
        PoisonOutsideWalk(picture.grid, detail);
        picture.animation = SeedAnimationState(picture.random);
        // Every third combination starts, and is knocked again halfway, from
        // phases and drifts set far outside anything the drift produces.
        const bool far = c % 3 == 0;
        if (far) SetFarState(picture, static_cast<int>(c));

        int faultyFrames = 0;
        const char* firstFault = nullptr;
        const int frames = framesFor(values);
        for (int f = 0; f < frames; ++f) {
            if (far && f == frames / 2) SetFarState(picture, static_cast<int>(c) + 1);
            stress::ResetGlCounts();
            const auto start = std::chrono::steady_clock::now();
            RenderFrame(picture, hooks);
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (seconds > worstSeconds) {
                worstSeconds = seconds;
                worstCombo = c;
            }
            if (Gl.calls > mostCalls) mostCalls = Gl.calls;
            if (const char* fault = FrameFault(picture.settings)) {
                if (!firstFault) firstFault = fault;
                ++faultyFrames;
            }
            if (++totalFrames == 1000) atThousand = ReadMemory();
        }
        EXPECT_EQ(faultyFrames, 0)
            << Describe(kind, values) << ": " << (firstFault ? firstFault : "");
        EXPECT_EQ(PoisonedCellsChanged(picture.grid, detail), 0)
            << Describe(kind, values) << ": rows with cells outside the walk written";
        // The settings are read, never written, by the engine.
        EXPECT_EQ(picture.settings.Detail, values.Detail);
        EXPECT_EQ(picture.settings.Segments, values.Segments);
        EXPECT_EQ(picture.settings.PictureKind, kind);
    }
    atEnd = ReadMemory();

    EXPECT_GE(totalFrames, kSoakFrames);
    EXPECT_EQ(Swaps - swapsBefore, static_cast<uint64_t>(totalFrames));
    EXPECT_LE(mostCalls, stress::kMaxCallsPerFrame);
    // Nothing is allocated per frame: the heap and the process's private
    // memory are where they were after the first thousand frames.
    EXPECT_EQ(atEnd.heapInUse, atThousand.heapInUse);
    EXPECT_LE(atEnd.dataPages - atThousand.dataPages, 16) << "private memory grew (pages)";
    EXPECT_LE(atEnd.anonKiB - atThousand.anonKiB, 256) << "private resident memory grew (KiB)";

    std::printf(
        "[ soak    ] %d frames over %zu combinations (%d or %d each); most GL calls in a frame "
        "%llu (bound %llu)\n",
        totalFrames, combos.size(), kLightFrames, kFullFrames,
        static_cast<unsigned long long>(mostCalls),
        static_cast<unsigned long long>(stress::kMaxCallsPerFrame));
    std::printf("[ soak    ] worst frame %.3f ms (%s)\n", worstSeconds * 1e3,
                Describe(combos[worstCombo].first, combos[worstCombo].second).c_str());
    std::printf(
        "[ soak    ] memory at frame 1000: RssAnon %ld KiB, %ld data pages, heap %zu B;"
        " at the end: %ld KiB, %ld pages, %zu B\n",
        atThousand.anonKiB, atThousand.dataPages, atThousand.heapInUse, atEnd.anonKiB,
        atEnd.dataPages, atEnd.heapInUse);
}

// A settings change between any two frames, over the whole 32-bit range of
// every stored value: each frame must still be sound and stay in the grid.
TEST_F(Soak, EveryFrameFreshValuesFromTheWhole32BitRange) {
    constexpr int32_t kEdges[] = {std::numeric_limits<int32_t>::min(),
                                  -1000000,
                                  -50,
                                  -1,
                                  0,
                                  1,
                                  2,
                                  29,
                                  30,
                                  31,
                                  49,
                                  50,
                                  51,
                                  1000000,
                                  std::numeric_limits<int32_t>::max()};
    constexpr int kEdgeCount = sizeof kEdges / sizeof kEdges[0];
    uint32_t lcg = 12345u;
    auto next = [&lcg] { return lcg = lcg * 1664525u + 1013904223u; };
    auto pick = [&]() -> int32_t {
        const uint32_t r = next();
        return (r & 3) == 0 ? static_cast<int32_t>(next()) : kEdges[(r >> 2) % kEdgeCount];
    };

    picture = {};
    // Only the last row and the columns past the widest row stay untouched
    // whatever Detail does (the frame never goes beyond row 30).
    PoisonOutsideWalk(picture.grid, kMaxFrameDetail);
    picture.animation = SeedAnimationState(picture.random);
    int faultyFrames = 0;
    const char* firstFault = nullptr;
    for (int f = 0; f < 20000; ++f) {
        picture.settings = {pick(), pick(), pick(), pick(), pick(), pick(), (next() & 1) != 0};
        if (f % 97 == 0) SetFarState(picture, f);
        stress::ResetGlCounts();
        RenderFrame(picture, hooks);
        if (const char* fault = FrameFault(picture.settings)) {
            if (!firstFault) firstFault = fault;
            ++faultyFrames;
        }
    }
    EXPECT_EQ(faultyFrames, 0) << (firstFault ? firstFault : "");
    EXPECT_EQ(PoisonedCellsChanged(picture.grid, kMaxFrameDetail), 0);
}

}  // namespace

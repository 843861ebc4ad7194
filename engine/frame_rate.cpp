#include "engine/frame_rate.h"

#include <GL/gl.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <string>

namespace zarvella {

namespace {

// A 5 by 7 font, top row first, of the characters the text needs.
struct Glyph {
    char c;
    const char* rows[7];
};
constexpr Glyph kFont[] = {
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    {':', {".....", ".##..", ".##..", ".....", ".##..", ".##..", "....."}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
};

constexpr int kCell = 2;     // pixels per font cell
constexpr int kAdvance = 6;  // cells from one character to the next
constexpr int kMargin = 8;   // pixels from the corner
constexpr int kPadding = 4;  // pixels of box around the text

const Glyph* Find(char c) {
    for (const Glyph& g : kFont)
        if (g.c == c) return &g;
    return nullptr;  // a blank
}

void Quad(float x, float y, float w, float h) {
    glVertex2f(x, y);
    glVertex2f(x + w, y);
    glVertex2f(x + w, y + h);
    glVertex2f(x, y + h);
}

}  // namespace

void CountFrame(FrameRateRecord& meter, double seconds) {
    if (!meter.started) {
        meter.started = true;
        meter.windowStart = seconds;
    }
    ++meter.frames;
    const double elapsed = seconds - meter.windowStart;
    if (elapsed >= 1.0) {
        // The frame that closes the second belongs to the next one.
        meter.rate = (meter.frames - 1) / elapsed;
        meter.frames = 1;
        meter.windowStart = seconds;
    }
}

std::string FrameRateText(double rate) {
    // to_chars writes a point whatever the locale. The tenths are rounded
    // first, halves up, so 0.25 shows as 0.3 (to_chars alone would round the
    // binary value to even); a rate that is no number, or too large to mean
    // one, shows as 0.0.
    const double tenths = std::isfinite(rate) ? std::round(std::fabs(rate) * 10) : 0;
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, tenths < 1e15 ? tenths / 10 : 0,
                                   std::chars_format::fixed, 1)
                         .ptr;
    return "FPS: " + std::string(digits, end);
}

void DrawFrameRateText(double rate, int width, int height) {
    const std::string text = FrameRateText(rate);
    const int length = static_cast<int>(text.size());

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glBegin(GL_QUADS);
    glColor3f(0, 0, 0);
    Quad(kMargin - kPadding, kMargin - kPadding, (length * kAdvance - 1) * kCell + 2 * kPadding,
         7 * kCell + 2 * kPadding);
    glColor3f(1, 1, 1);
    for (int i = 0; i < length; ++i) {
        const Glyph* glyph = Find(text[i]);
        if (!glyph) continue;
        for (int row = 0; row < 7; ++row) {
            for (int column = 0; column < 5; ++column) {
                if (glyph->rows[row][column] != '#') continue;
                Quad(static_cast<float>(kMargin + (i * kAdvance + column) * kCell),
                     static_cast<float>(kMargin + (6 - row) * kCell), kCell, kCell);
            }
        }
    }
    glEnd();

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

void DrawFrameRate(FrameRateRecord& meter) {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    CountFrame(meter, std::chrono::duration<double>(now).count());
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    DrawFrameRateText(meter.rate, viewport[2], viewport[3]);
}

}  // namespace zarvella

// SettingsWindow: the settings window "Zarvella Settings". Win32 events become the
// core's calls; the controls are plain Win32 controls at the layout's places.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "behaviour/settings_window.h"
#include "behaviour/visibility.h"
#include "platform/win32/message_box.h"
#include "platform/win32/settings_store.h"
#include "platform/win32/win32.h"

namespace zarvella::win32 {

class SettingsWindow : public SettingsWindowHost, private FrameClock {
  public:
    // Creates the window and its controls, runs OnCreate and shows it. An
    // owner (the dialog that asked for the settings) keeps it above itself
    // and gets the focus back when it closes.
    void Create(HINSTANCE instance, HWND owner = nullptr);
    HWND Handle = nullptr;
    // Every message of the window, through WindowObjectProc.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // The key preview: the window sees every key before its focused control.
    // True when the key was consumed.
    bool PreviewKey(const MSG& message);

    // SettingsWindowHost
    int SliderPosition(int row) override;
    void SetSliderPosition(int row, int position) override;
    void SetCheckBox(int row, bool checked) override;
    void SizeAndCentre() override;
    void AttachContext() override;
    std::string ContextFailure() override { return contextFailure_; }

  private:
    void CreateControls(HINSTANCE instance);
    HWND CreateControl(HINSTANCE instance, const char* className, const char* caption, DWORD style,
                       const ControlRect& rect, int id);
    // The layout at the window's DPI: outer size, font, controls.
    SIZE OuterSize(int clientWidth, int clientHeight) const;
    // The outer size at the window's DPI that fits the work area of the
    // monitor (SettingsOuterSize), and a layout rectangle in it.
    PixelSize FittedOuter(HMONITOR monitor) const;
    ControlRect Placed(const ControlRect& layout) const;
    void CreateLabelFont();
    void PlaceControls();
    void DpiChanged(int dpi, const RECT& suggested);

    void OnCreate();
    bool OnKeyDown(WPARAM key);
    void OnClose();
    void Terminate();
    void OnTimer();
    // FrameClock: the frame timer, stopped while the window is hidden or minimised.
    void StartFrames() override;
    void StopFrames() override;
    // One handler per kind of control; a setting's control is addressed by
    // its row of the settings table.
    void OnSliderChange(int row);
    void OnCheckBoxClick(int row);
    void OnSaveClick();
    void OnSiteClick();

    std::array<HWND, kSettingsTable.size()> rowControls_{};  // by row: the sliders, the check box
    std::array<int, kSliderCount> sliderPositions_{};        // what the sliders last reported
    HFONT labelFont_ = nullptr;
    int dpi_ = 96;     // the window's; the layout's numbers are for 96
    PixelSize outer_;  // the window's outer size, the layout scaled to fit
    struct PlacedControl {
        HWND handle;
        ControlRect rect;  // at 96 DPI
    };
    std::vector<PlacedControl> controls_;
    HBRUSH background_ = nullptr;
    PictureRecord picture_;
    FrameHooks frame_;
    RegistryStore store_;
    MessageBoxErrors errors_;
    std::string contextFailure_;  // no picture is drawn when set
    WindowSight sight_{*this};
};

}  // namespace zarvella::win32

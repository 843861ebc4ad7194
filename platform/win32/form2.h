// TForm2: the settings window "Zarvella Settings". Win32 events become the
// core's calls; the controls are plain Win32 controls at the layout's places.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/win32/message_box.h"
#include "platform/win32/settings_store.h"
#include "platform/win32/win32.h"
#include "settings/settings_window.h"

namespace zarvella::win32 {

class TForm2 : public SettingsWindowHost {
  public:
    // Creates the window and its controls, runs FormCreate and shows it. An
    // owner (the dialog that asked for the settings) keeps it above itself
    // and gets the focus back when it closes.
    void Create(HINSTANCE instance, HWND owner = nullptr);
    HWND Handle = nullptr;
    // Every message of the window, through FormWindowProc.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // The key preview: the window sees every key before its focused control.
    // True when the key was consumed.
    bool PreviewKey(const MSG& message);

    // SettingsWindowHost
    int TrackBarPosition(int track) override;
    void SetTrackBarPosition(int track, int position) override;
    void SetCheckBox(bool checked) override;
    void SizeAndCentre() override;
    void AttachContext() override;
    std::string ContextFailure() override { return contextFailure_; }

  private:
    void CreateControls(HINSTANCE instance);
    HWND CreateControl(HINSTANCE instance, const char* className, const char* caption, DWORD style,
                       const ControlRect& rect, int id);
    // The layout at the window's DPI: outer size, font, controls.
    SIZE OuterSize(int clientWidth, int clientHeight) const;
    void CreateLabelFont();
    void DpiChanged(int dpi, const RECT& suggested);

    void FormCreate();
    bool FormKeyDown(WPARAM key);
    void FormClose();
    void Terminate();
    void TimerTimer();
    void TrackBarChange(int track);
    void CheckBox1Click();
    void Button1Click();
    void Button2Click();

    std::array<HWND, kTrackBarCount> trackBars_{};
    std::array<int, kTrackBarCount> trackPositions_{};  // what the sliders last reported
    HWND checkBox1_ = nullptr;
    HFONT labelFont_ = nullptr;
    int dpi_ = 96;  // the window's; the layout's numbers are for 96
    struct PlacedControl {
        HWND handle;
        ControlRect rect;  // at 96 DPI
    };
    std::vector<PlacedControl> controls_;
    HBRUSH background_ = nullptr;
    RegistryStore store_;
    MessageBoxErrors errors_;
    std::string contextFailure_;  // no picture is drawn when set
};

}  // namespace zarvella::win32

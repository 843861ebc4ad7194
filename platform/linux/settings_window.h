// SettingsWindow: "Zarvella Settings", the live picture above six
// sliders, a check box and two buttons; below them Linux's own row that
// turns --idle on (startup/idle_row.h).
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QWidget>
#include <array>
#include <string>

#include "behaviour/settings_window.h"
#include "platform/linux/gl_context.h"
#include "startup/idle_row.h"

namespace zarvella::linux_shell {

class SightWatcher;

class SettingsWindow : public QWidget, private SettingsWindowHost {
    Q_OBJECT
  public:
    // glProblem: why no GL context can be made (empty: it can); the window
    // then says so and works without its picture.
    SettingsWindow(SettingsStore& store, ErrorSink& errors, std::string glProblem = "");

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private slots:
    void OnTimer();
    // One handler per kind of control; a setting's control is addressed by
    // its row of the settings table.
    void OnSliderChange(int row);
    void OnCheckBoxClick(int row);
    void OnSaveClick();
    void OnSiteClick();
    // The --idle row: each change takes effect at once; Save Settings keeps
    // to the seven settings.
    void OnIdleToggled(bool on);
    void OnIdleMinutesEdited();

  private:
    void OnCreate();
    void OnKeyDown(int key);
    void OnClose();
    void CreateControls();
    void CreateIdleRow();
    // The row as the core decides it from the facts, `fault` the last change's.
    void ShowIdleRow(const std::string& fault, bool minutesFromEntry);
    QWidget* Control(ControlId id) const;
    // A rectangle of the layout (400x430, and the --idle row below when
    // shown), at the window's size.
    QRect Placed(const ControlRect& layout) const;

    // SettingsWindowHost
    int SliderPosition(int row) override;
    void SetSliderPosition(int row, int position) override;
    void SetCheckBox(int row, bool checked) override;
    void SizeAndCentre() override;
    void AttachContext() override;
    std::string ContextFailure() override { return glProblem_; }

    PictureRecord picture_;
    FrameHooks frame_;
    SettingsStore& store_;
    ErrorSink& errors_;
    std::string glProblem_;
    GlView* view_ = nullptr;
    std::array<QSlider*, kSliderCount> sliders_{};  // by row
    std::array<QLabel*, kSliderCount> labels_{};    // the sliders' captions
    QCheckBox* randomCheckBox_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* siteButton_ = nullptr;
    QTimer* timer_ = nullptr;
    SightWatcher* sight_ = nullptr;
    IdleRowFacts idleFacts_;
    QCheckBox* idleCheck_ = nullptr;
    QSpinBox* idleMinutes_ = nullptr;
    QLabel* idleCaption_ = nullptr;
    QLabel* idleLine_ = nullptr;
    int idleMinutesOn_ = 0;  // the minutes the entry was last written with
    PixelSize layout_{kSettingsWindowWidth, kSettingsWindowHeight};
    PixelSize size_{kSettingsWindowWidth, kSettingsWindowHeight};  // the client area's
};

}  // namespace zarvella::linux_shell

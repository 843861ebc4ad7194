// TForm2: the settings window: the live picture above six
// sliders, a check box and two buttons.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QWidget>
#include <array>
#include <string>

#include "platform/linux/gl_context.h"
#include "settings/settings_window.h"
#include "shell/settings_form.h"

namespace zarvella::linux_shell {

class TForm2 : public QWidget, private SettingsWindowHost {
    Q_OBJECT
  public:
    // glProblem: why no GL context can be made (empty: it can); the window
    // then says so and works without its picture.
    TForm2(SettingsStore& store, ErrorSink& errors, std::string glProblem = "");

    QCheckBox* CheckBox1;
    // StaticText1 to 6 and TrackBar1 to 6, at [0] to [5].
    std::array<QLabel*, kTrackBarCount> StaticText{};
    std::array<QSlider*, kTrackBarCount> TrackBar{};
    QPushButton* Button1;
    QPushButton* Button2;
    QTimer* Timer;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private slots:
    void TimerTimer();
    void CheckBox1Click();
    void Button1Click();
    void Button2Click();

  private:
    void FormCreate();
    void FormKeyDown(int key);
    void FormClose();
    void CreateControls();
    void TrackBarChange(int track);
    QWidget* Control(ControlId id) const;

    // SettingsWindowHost
    int TrackBarPosition(int track) override;
    void SetTrackBarPosition(int track, int position) override;
    void SetCheckBox(bool checked) override;
    void SizeAndCentre() override;
    void AttachContext() override;

    SettingsStore& store_;
    ErrorSink& errors_;
    std::string glProblem_;
    GlView* view_ = nullptr;
};

}  // namespace zarvella::linux_shell

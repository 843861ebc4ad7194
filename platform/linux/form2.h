// TForm2: the settings window: the live picture above six
// sliders, a check box and two buttons.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QWidget>

#include "platform/linux/gl_context.h"
#include "settings/settings_window.h"

namespace zarvella::linux_shell {

class TForm2 : public QWidget, private SettingsWindowHost {
    Q_OBJECT
  public:
    TForm2(SettingsStore& store, ErrorSink& errors);

    QCheckBox* CheckBox1;
    QLabel* StaticText1;
    QLabel* StaticText2;
    QLabel* StaticText3;
    QLabel* StaticText4;
    QLabel* StaticText5;
    QLabel* StaticText6;
    QSlider* TrackBar1;
    QSlider* TrackBar2;
    QSlider* TrackBar3;
    QSlider* TrackBar4;
    QSlider* TrackBar5;
    QSlider* TrackBar6;
    QPushButton* Button1;
    QPushButton* Button2;
    QTimer* Timer;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private slots:
    void TimerTimer();
    void TrackBar1Change();
    void TrackBar2Change();
    void TrackBar3Change();
    void TrackBar4Change();
    void TrackBar5Change();
    void TrackBar6Change();
    void CheckBox1Click();
    void Button1Click();
    void Button2Click();

  private:
    void FormCreate();
    void FormKeyDown(int key);
    void FormClose();
    void MakeControls();
    QSlider* TrackBar(int track) const;
    QWidget* Control(ControlId id) const;

    // SettingsWindowHost
    int TrackBarPosition(int track) override;
    void SetTrackBarPosition(int track, int position) override;
    void SetCheckBox(bool checked) override;
    void SizeAndCentre() override;
    void AttachContext() override;

    SettingsStore& store_;
    ErrorSink& errors_;
    GlView* view_ = nullptr;
};

}  // namespace zarvella::linux_shell

#include "platform/linux/form2.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QUrl>

#include "shell/fullscreen.h"
#include "shell/window_place.h"

namespace zarvella::linux_shell {

namespace {

QRect ToQRect(const ControlRect& r) {
    return QRect(r.left, r.top, r.width, r.height);
}

QFont BoldFont(const char* family) {
    QFont font(QString::fromUtf8(family));
    font.setPixelSize(13);
    font.setBold(true);
    return font;
}

// A slider drawn to fit the 10-pixel-high strip the layout gives it: a thin
// track, a small thumb and a tick for every value below the track, like the
// Windows trackbar it stands for. Input is QSlider's own.
class TrackBarSlider : public QSlider {
  public:
    explicit TrackBarSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        constexpr int kThumb = 7;
        QPainter painter(this);
        const int span = width() - kThumb;
        auto at = [&](int value) {
            return kThumb / 2 + QStyle::sliderPositionFromValue(minimum(), maximum(), value, span);
        };
        painter.fillRect(QRect(kThumb / 2, 2, span + 1, 2), QColor(128, 128, 128));
        painter.setPen(QColor(200, 200, 200));
        for (int value = minimum(); value <= maximum(); value += qMax(1, tickInterval())) {
            painter.drawLine(at(value), 8, at(value), 9);
        }
        const QColor thumb = hasFocus() ? QColor(80, 160, 255) : QColor(230, 230, 230);
        painter.fillRect(QRect(at(value()) - kThumb / 2, 0, kThumb, 7), thumb);
    }
};

}  // namespace

TForm2::TForm2(SettingsStore& store, ErrorSink& errors, std::string glProblem)
    : QWidget(nullptr, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      store_(store),
      errors_(errors),
      glProblem_(std::move(glProblem)) {
    setWindowTitle(QString::fromUtf8(kSettingsTitle));
    setFixedSize(kSettingsWindowWidth, kSettingsWindowHeight);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    CreateControls();
    // Keyboard preview: the form sees keys before the focused control.
    qApp->installEventFilter(this);

    Timer = new QTimer(this);
    Timer->setInterval(kSettingsTimerMs);
    connect(Timer, &QTimer::timeout, this, &TForm2::TimerTimer);
    Timer->start();

    FormCreate();
}

// Created in keyboard order, so Tab walks them in that order.
void TForm2::CreateControls() {
    const QFont labelFont = BoldFont("Arial");
    const QFont buttonFont = BoldFont("Sans Serif");
    QPalette white = palette();
    white.setColor(QPalette::WindowText, Qt::white);
    white.setColor(QPalette::Text, Qt::white);
    white.setColor(QPalette::ButtonText, Qt::white);

    for (ControlId id : kTabOrder) {
        switch (id) {
            case ControlId::Button1:
                Button1 = new QPushButton(QString::fromUtf8(kButton1Caption), this);
                Button1->setGeometry(ToQRect(kButton1Rect));
                Button1->setFont(buttonFont);
                connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
                break;
            case ControlId::Button2:
                Button2 = new QPushButton(QString::fromUtf8(kButton2Caption), this);
                Button2->setGeometry(ToQRect(kButton2Rect));
                Button2->setFont(buttonFont);
                connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
                break;
            case ControlId::CheckBox1:
                CheckBox1 = new QCheckBox(QString::fromUtf8(kCheckBox1Setting.label), this);
                CheckBox1->setGeometry(ToQRect(kCheckBox1Setting.rect));
                CheckBox1->setFont(labelFont);
                CheckBox1->setPalette(white);
                connect(CheckBox1, &QCheckBox::toggled, this, &TForm2::CheckBox1Click);
                break;
            default: {
                const int track = TrackNumber(id);
                const SettingInfo& info = TrackBarSetting(track);
                QSlider* slider = new TrackBarSlider(this);
                slider->setGeometry(ToQRect(info.rect));
                slider->setRange(info.min, info.max);
                slider->setSingleStep(1);
                slider->setTickPosition(QSlider::TicksBelow);
                slider->setTickInterval(1);
                slider->setValue(info.layoutPosition);
                connect(slider, &QSlider::valueChanged, this,
                        [this, track] { TrackBarChange(track); });
                TrackBar[track - 1] = slider;
                break;
            }
        }
        Control(id)->setFocusPolicy(Qt::StrongFocus);
    }
    for (int track = 1; track <= kTrackBarCount; ++track) {
        const SettingInfo& info = TrackBarSetting(track);
        QLabel* label = new QLabel(QString::fromUtf8(info.label), this);
        label->setTextFormat(Qt::PlainText);
        label->setGeometry(ToQRect(info.labelRect));
        label->setFont(labelFont);
        label->setPalette(white);
        StaticText[track - 1] = label;
    }
    for (size_t i = 0; i + 1 < kTabOrder.size(); ++i) {
        setTabOrder(Control(kTabOrder[i]), Control(kTabOrder[i + 1]));
    }
    Control(kTabOrder[0])->setFocus();
}

QWidget* TForm2::Control(ControlId id) const {
    switch (id) {
        case ControlId::CheckBox1:
            return CheckBox1;
        case ControlId::Button1:
            return Button1;
        case ControlId::Button2:
            return Button2;
        default:
            return TrackBar[TrackNumber(id) - 1];
    }
}

void TForm2::FormCreate() {
    SettingsFormCreate(*this, store_, errors_);
}

void TForm2::TimerTimer() {
    if (view_) view_->update();  // the view's paint is RenderFrame
}

void TForm2::TrackBarChange(int track) {
    zarvella::TrackBarChange(track, TrackBar[track - 1]->value());
}

void TForm2::CheckBox1Click() {
    zarvella::CheckBox1Click(CheckBox1->isChecked());
}

void TForm2::Button1Click() {
    SaveSettingsForUser(store_, errors_);
}

void TForm2::Button2Click() {
    QDesktopServices::openUrl(QUrl(QString::fromUtf8(kProductSite)));
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        FormKeyDown(static_cast<QKeyEvent*>(event)->key());
    }
    return QWidget::eventFilter(watched, event);
}

void TForm2::FormKeyDown(int key) {
    if (SettingsKeyEndsWindow(key == Qt::Key_Escape ? SaverKey::Escape : SaverKey::Other)) {
        QCoreApplication::exit(0);
    }
}

void TForm2::closeEvent(QCloseEvent* event) {
    event->accept();
    FormClose();
}

void TForm2::FormClose() {
    QCoreApplication::exit(0);
}

int TForm2::TrackBarPosition(int track) {
    return TrackBar[track - 1]->value();
}

void TForm2::SetTrackBarPosition(int track, int position) {
    // The core runs the change handler itself when it should.
    const QSignalBlocker quiet(TrackBar[track - 1]);
    TrackBar[track - 1]->setValue(position);
}

void TForm2::SetCheckBox(bool checked) {
    const QSignalBlocker quiet(CheckBox1);
    CheckBox1->setChecked(checked);
}

void TForm2::SizeAndCentre() {
    // Qt sizes the client area; on X11 the window manager's frame lies outside it.
    setFixedSize(kSettingsWindowWidth, kSettingsWindowHeight);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    move(CentredOrigin(screen.width(), kSettingsWindowWidth),
         CentredOrigin(screen.height(), kSettingsWindowHeight));
}

void TForm2::AttachContext() {
    if (!glProblem_.empty()) {
        errors_.ShowError(GlStartError(glProblem_));
        return;
    }
    // The GL surface stands for the client area a Windows frame leaves inside
    // the 400x430 outer size: the picture's viewport then puts the picture in
    // its top 300 pixels, above the controls, exactly as on Windows.
    view_ = new GlView(GlVariant::Settings,
                       SettingsPictureViewport(kSettingsWindowWidth, kSettingsWindowHeight),
                       &RenderFrame, this);
    view_->setGeometry(0, 0, kSettingsWindowWidth, kSettingsWindowHeight - kSettingsFrameExtra);
    view_->setFocusPolicy(Qt::NoFocus);
    view_->lower();  // the controls lie on top of it
    view_->show();
}

}  // namespace zarvella::linux_shell

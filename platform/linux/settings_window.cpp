#include "platform/linux/settings_window.h"

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
#include <algorithm>

#include "behaviour/window_place.h"
#include "platform/linux/idle_control.h"
#include "platform/linux/window_sight.h"

namespace zarvella::linux_shell {

namespace {

QRect ToQRect(const ControlRect& r) {
    return QRect(r.left, r.top, r.width, r.height);
}

QFont BoldFont(const char* family, int pixels) {
    QFont font(QString::fromUtf8(family));
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}

// A slider drawn to fit the 10-pixel-high strip the layout gives it: a thin
// track, a small thumb and a tick for every value below the track, like the
// Windows trackbar it stands for; drawn at the layout's size and scaled with
// the window. Input is QSlider's own.
class StripSlider : public QSlider {
  public:
    StripSlider(QWidget* parent, const ControlRect& layout)
        : QSlider(Qt::Horizontal, parent), layout_(layout) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        constexpr int kThumb = 7;
        QPainter painter(this);
        painter.scale(width() / static_cast<qreal>(layout_.width),
                      height() / static_cast<qreal>(layout_.height));
        const int span = layout_.width - kThumb;
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

  private:
    ControlRect layout_;
};

}  // namespace

SettingsWindow::SettingsWindow(SettingsStore& store, ErrorSink& errors, std::string glProblem)
    : QWidget(nullptr, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      store_(store),
      errors_(errors),
      glProblem_(std::move(glProblem)) {
    setWindowTitle(QString::fromUtf8(kSettingsTitle));
    // The whole window within the screen's area for windows; the frame is
    // not known before the window is shown.
    const QSize available = QGuiApplication::primaryScreen()->availableGeometry().size();
    idleFacts_ = GatherIdleRowFacts();
    const bool idleRow = DecideIdleRow(idleFacts_).shown;
    layout_ = SettingsLayoutWithIdleRow(idleRow);
    size_ = SettingsClientSizeWithIdleRow({available.width(), available.height()}, {}, idleRow);
    setFixedSize(size_.width, size_.height);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    CreateControls();
    if (idleRow) CreateIdleRow();
    // Keyboard preview: the window sees keys before the focused control.
    qApp->installEventFilter(this);

    timer_ = new QTimer(this);
    timer_->setInterval(kSettingsTimerMs);
    connect(timer_, &QTimer::timeout, this, &SettingsWindow::OnTimer);
    timer_->start();
    sight_ = new SightWatcher(this, timer_, false);  // the timer stops while nobody sees the window

    OnCreate();
}

// Created in keyboard order, so Tab walks them in that order.
void SettingsWindow::CreateControls() {
    const int fontPixels = std::max(1, Placed({0, 0, 0, 13}).height());
    const QFont labelFont = BoldFont("Arial", fontPixels);
    const QFont buttonFont = BoldFont("Sans Serif", fontPixels);
    QPalette white = palette();
    white.setColor(QPalette::WindowText, Qt::white);
    white.setColor(QPalette::Text, Qt::white);
    white.setColor(QPalette::ButtonText, Qt::white);

    for (ControlId id : kTabOrder) {
        switch (id) {
            case ControlId::SaveButton:
                saveButton_ = new QPushButton(QString::fromUtf8(kSaveButtonCaption), this);
                saveButton_->setGeometry(Placed(kSaveButtonRect));
                saveButton_->setFont(buttonFont);
                connect(saveButton_, &QPushButton::clicked, this, &SettingsWindow::OnSaveClick);
                break;
            case ControlId::SiteButton:
                siteButton_ = new QPushButton(QString::fromUtf8(kSiteButtonCaption), this);
                siteButton_->setGeometry(Placed(kSiteButtonRect));
                siteButton_->setFont(buttonFont);
                connect(siteButton_, &QPushButton::clicked, this, &SettingsWindow::OnSiteClick);
                break;
            case ControlId::RandomCheckBox: {
                const SettingInfo& info = kSettingsTable[kRandomPictureRow];
                randomCheckBox_ = new QCheckBox(QString::fromUtf8(info.label), this);
                randomCheckBox_->setGeometry(Placed(info.rect));
                randomCheckBox_->setFont(labelFont);
                randomCheckBox_->setPalette(white);
                connect(randomCheckBox_, &QCheckBox::toggled, this,
                        [this] { OnCheckBoxClick(kRandomPictureRow); });
                break;
            }
            default: {
                const int row = SettingRow(id);
                const SettingInfo& info = kSettingsTable[static_cast<size_t>(row)];
                QSlider* slider = new StripSlider(this, info.rect);
                slider->setGeometry(Placed(info.rect));
                slider->setRange(info.min, info.max);
                slider->setSingleStep(1);
                slider->setTickPosition(QSlider::TicksBelow);
                slider->setTickInterval(1);
                slider->setValue(info.layoutPosition);
                connect(slider, &QSlider::valueChanged, this, [this, row] { OnSliderChange(row); });
                sliders_[static_cast<size_t>(row)] = slider;
                break;
            }
        }
        Control(id)->setFocusPolicy(Qt::StrongFocus);
    }
    for (int row = 0; row < kSliderCount; ++row) {
        const SettingInfo& info = kSettingsTable[static_cast<size_t>(row)];
        QLabel* label = new QLabel(QString::fromUtf8(info.label), this);
        label->setTextFormat(Qt::PlainText);
        label->setGeometry(Placed(info.labelRect));
        label->setFont(labelFont);
        label->setPalette(white);
        labels_[static_cast<size_t>(row)] = label;
    }
    for (size_t i = 0; i + 1 < kTabOrder.size(); ++i) {
        setTabOrder(Control(kTabOrder[i]), Control(kTabOrder[i + 1]));
    }
    Control(kTabOrder[0])->setFocus();
}

// After the seven settings' controls in keyboard order.
void SettingsWindow::CreateIdleRow() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::max(1, Placed({0, 0, 0, 12}).height()));
    idleCheck_ = new QCheckBox(QString::fromUtf8(kIdleCheckCaption), this);
    idleCheck_->setGeometry(Placed(kIdleCheckRect));
    idleMinutes_ = new QSpinBox(this);
    idleMinutes_->setGeometry(Placed(kIdleMinutesRect));
    idleMinutes_->setRange(kIdleRowMinMinutes, kIdleRowMaxMinutes);
    idleMinutes_->setAccelerated(true);
    idleCaption_ = new QLabel(QString::fromUtf8(kIdleMinutesCaption), this);
    idleCaption_->setGeometry(Placed(kIdleCaptionRect));
    idleLine_ = new QLabel(this);
    idleLine_->setGeometry(Placed(kIdleLineRect));
    idleLine_->setTextFormat(Qt::PlainText);
    idleLine_->setWordWrap(true);
    idleLine_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (QWidget* widget : {static_cast<QWidget*>(idleCheck_), static_cast<QWidget*>(idleMinutes_),
                            static_cast<QWidget*>(idleCaption_)})
        widget->setFont(font);
    font.setPixelSize(std::max(1, Placed({0, 0, 0, 11}).height()));
    idleLine_->setFont(font);
    idleCheck_->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(Control(kTabOrder.back()), idleCheck_);
    setTabOrder(idleCheck_, idleMinutes_);
    ShowIdleRow("", true);
    connect(idleCheck_, &QCheckBox::toggled, this, &SettingsWindow::OnIdleToggled);
    connect(idleMinutes_, &QSpinBox::editingFinished, this, &SettingsWindow::OnIdleMinutesEdited);
}

void SettingsWindow::ShowIdleRow(const std::string& fault, bool minutesFromEntry) {
    idleFacts_.fault = fault;
    const IdleRowState row = DecideIdleRow(idleFacts_);
    const QSignalBlocker quiet(idleCheck_);
    idleCheck_->setChecked(row.checked);
    if (minutesFromEntry || row.checked) idleMinutes_->setValue(row.minutes);
    idleMinutesOn_ = row.checked ? idleMinutes_->value() : 0;
    for (QWidget* widget : {static_cast<QWidget*>(idleCheck_), static_cast<QWidget*>(idleMinutes_),
                            static_cast<QWidget*>(idleCaption_)})
        widget->setEnabled(row.enabled);
    idleLine_->setText(QString::fromStdString(row.line));
}

void SettingsWindow::OnIdleToggled(bool on) {
    const std::string fault = on ? TurnIdleOn(idleMinutes_->value() * 60) : TurnIdleOff();
    ReadIdleEntryFacts(idleFacts_);
    ShowIdleRow(fault, false);
}

void SettingsWindow::OnIdleMinutesEdited() {
    // Only a new time of a row that is on is written: leaving the field
    // after nothing changed also ends its editing.
    if (!idleCheck_->isChecked() || idleMinutes_->value() == idleMinutesOn_) return;
    const std::string fault = TurnIdleOn(idleMinutes_->value() * 60);
    ReadIdleEntryFacts(idleFacts_);
    ShowIdleRow(fault, false);
}

QRect SettingsWindow::Placed(const ControlRect& layout) const {
    return ToQRect(ScaleToSize(layout, layout_, size_));
}

QWidget* SettingsWindow::Control(ControlId id) const {
    switch (id) {
        case ControlId::RandomCheckBox:
            return randomCheckBox_;
        case ControlId::SaveButton:
            return saveButton_;
        case ControlId::SiteButton:
            return siteButton_;
        default:
            return sliders_[static_cast<size_t>(SettingRow(id))];
    }
}

void SettingsWindow::OnCreate() {
    StartSettingsWindow(*this, picture_, store_, errors_);
}

void SettingsWindow::OnTimer() {
    if (view_) view_->update();  // the view's paint is RenderFrame
}

void SettingsWindow::OnSliderChange(int row) {
    SliderChange(picture_.settings, row, SliderPosition(row));
}

void SettingsWindow::OnCheckBoxClick(int row) {
    CheckBoxClick(picture_.settings, row, randomCheckBox_->isChecked());
}

void SettingsWindow::OnSaveClick() {
    SaveSettingsForUser(picture_.settings, store_, errors_);
}

void SettingsWindow::OnSiteClick() {
    QDesktopServices::openUrl(QUrl(QString::fromUtf8(kProductSite)));
}

bool SettingsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        OnKeyDown(static_cast<QKeyEvent*>(event)->key());
    }
    return QWidget::eventFilter(watched, event);
}

void SettingsWindow::OnKeyDown(int key) {
    if (SettingsKeyEndsWindow(key == Qt::Key_Escape ? SaverKey::Escape : SaverKey::Other)) {
        OnClose();
    }
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    OnClose();
}

void SettingsWindow::OnClose() {
    // Minutes set with the field's arrows and not yet written take effect as
    // leaving the field would have made them.
    if (idleMinutes_) OnIdleMinutesEdited();
    QCoreApplication::exit(0);
}

int SettingsWindow::SliderPosition(int row) {
    return sliders_[static_cast<size_t>(row)]->value();
}

void SettingsWindow::SetSliderPosition(int row, int position) {
    // The core runs the change handler itself when it should.
    const QSignalBlocker quiet(sliders_[static_cast<size_t>(row)]);
    sliders_[static_cast<size_t>(row)]->setValue(position);
}

void SettingsWindow::SetCheckBox(int, bool checked) {
    const QSignalBlocker quiet(randomCheckBox_);
    randomCheckBox_->setChecked(checked);
}

void SettingsWindow::SizeAndCentre() {
    // Qt sizes the client area; on X11 the window manager's frame lies outside it.
    setFixedSize(size_.width, size_.height);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    move(screen.x() + CentredOrigin(screen.width(), size_.width),
         screen.y() + CentredOrigin(screen.height(), size_.height));
}

void SettingsWindow::AttachContext() {
    if (!glProblem_.empty()) return;  // the core shows ContextFailure()
    // The GL surface stands for the client area a Windows frame leaves inside
    // the 400x430 outer size: the picture's viewport then puts the picture in
    // its top 300 pixels, above the controls, exactly as on Windows (all of
    // it scaled with the window).
    const GlViewport layout = SettingsPictureViewport(kSettingsWindowWidth, kSettingsWindowHeight);
    const QRect picture = Placed({layout.x, layout.y, layout.width, layout.height});
    view_ = new GlView(
        GlVariant::Settings, {picture.x(), picture.y(), picture.width(), picture.height()},
        [this] {
            if (WhatPaintDraws(sight_->Seen()) == PaintDraws::Picture)
                RenderFrame(picture_, frame_);
        },
        this);
    view_->setGeometry(
        Placed({0, 0, kSettingsWindowWidth, kSettingsWindowHeight - kSettingsFrameExtra}));
    view_->setFocusPolicy(Qt::NoFocus);
    view_->lower();  // the controls lie on top of it
    view_->show();
}

}  // namespace zarvella::linux_shell

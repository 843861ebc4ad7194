#include "platform/linux/follow_screens.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

namespace zarvella::linux_shell {

void FollowScreens(QObject& owner, std::function<void()> changed) {
    auto* app = static_cast<QGuiApplication*>(QCoreApplication::instance());
    const auto follow = [&owner, changed](QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, &owner, changed);
    };
    for (QScreen* screen : QGuiApplication::screens()) follow(screen);
    QObject::connect(app, &QGuiApplication::screenAdded, &owner,
                     [follow, changed](QScreen* screen) {
                         follow(screen);
                         changed();
                     });
    // Queued: while the signal runs, the screen still counts among them.
    QObject::connect(app, &QGuiApplication::screenRemoved, &owner, changed, Qt::QueuedConnection);
    QObject::connect(app, &QGuiApplication::primaryScreenChanged, &owner, changed);
}

}  // namespace zarvella::linux_shell

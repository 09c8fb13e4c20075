#include "app/dialogs/SplashWindow.h"

#include <QIcon>
#include <QLinearGradient>
#include <QPainter>
#include <QSplashScreen>
#include <QTimer>
#include <QWidget>

namespace gessoria::app {
namespace {

constexpr int kShownMilliseconds = 2000;

QPixmap SplashPicture()
{
    QPixmap picture(420, 240);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 240);
    sky.setColorAt(0, QColor(58, 74, 104));
    sky.setColorAt(1, QColor(24, 30, 44));
    p.fillRect(picture.rect(), sky);
    p.drawPixmap(28, 60, QIcon(":/icons/gessoria.svg").pixmap(120, 120));
    p.setPen(Qt::white);
    QFont title = p.font();
    title.setPointSize(30);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(168, 70, 240, 50), Qt::AlignLeft | Qt::AlignVCenter, "Gessoria");
    QFont line = p.font();
    line.setPointSize(11);
    line.setBold(false);
    p.setFont(line);
    p.setPen(QColor(210, 218, 235));
    p.drawText(QRect(170, 120, 240, 60), Qt::AlignLeft | Qt::TextWordWrap, "Paint straight onto the surfaces of your 3D scenes");
    return picture;
}

} // namespace

void ShowSplash(QWidget& mainWindow)
{
    auto* splash = new QSplashScreen(SplashPicture(), Qt::WindowStaysOnTopHint);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    const QRect frame = mainWindow.frameGeometry();
    splash->move(frame.center() - splash->rect().center());
    splash->show();
    QTimer::singleShot(kShownMilliseconds, splash, [splash, &mainWindow] {
        splash->close();
        mainWindow.update();
    });
}

} // namespace gessoria::app

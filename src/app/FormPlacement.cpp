// Placement on the screen the window is on (the primary one before it is shown).
#include "app/FormPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace velrok::app {

namespace {
QRect ScreenArea(QWidget* window)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}
} // namespace

void CentreOnScreen(QWidget* window)
{
    if (window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QRect area = ScreenArea(window);
    const QSize size = window->frameGeometry().size();
    window->move(area.left() + (area.width() - size.width()) / 2,
                 area.top() + (area.height() - size.height()) / 2);
}

void PlaceLowerRight(QWidget* window, int margin)
{
    if (window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QRect area = ScreenArea(window);
    const QSize size = window->frameGeometry().size();
    window->move(area.left() + area.width() - size.width() - margin,
                 area.top() + area.height() - size.height() - margin);
}

} // namespace velrok::app

// Placement on the screen the window is on (the primary one before it is shown), side by side
// placement of the two main windows, and their stored geometry.
#include "app/FormPlacement.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace velrok::app {

namespace {
QRect ScreenArea(const QWidget* window)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QMargins FrameMargins(const QWidget* window)
{
    const QRect frame = window->frameGeometry(), client = window->geometry();
    if (frame == client)
        return kAssumedFrameMargins; // not framed yet
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

// The frame rectangle kept inside `area`: shrunk to it, then moved in.
QRect KeptInside(QRect frame, const QRect& area)
{
    frame.setWidth(std::min(frame.width(), area.width()));
    frame.setHeight(std::min(frame.height(), area.height()));
    frame.moveLeft(std::clamp(frame.left(), area.left(), area.right() - frame.width() + 1));
    frame.moveTop(std::clamp(frame.top(), area.top(), area.bottom() - frame.height() + 1));
    return frame;
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

WindowPair PlaceSideBySide(const QRect& area, QSize mainWanted, QSize mainMinimum)
{
    const int mainMinWidth = std::min(mainMinimum.width(), area.width());
    const int mainWidth =
        std::clamp(std::min(mainWanted.width(), area.width() - kMinDrawingWindowWidth), mainMinWidth,
                   std::max(mainMinWidth, std::min(mainWanted.width(), area.width())));
    const int mainHeight = std::min(std::max(mainWanted.height(), mainMinimum.height()), area.height());
    WindowPair pair;
    pair.main = QRect(area.right() - mainWidth + 1, area.top(), mainWidth, mainHeight);
    const int drawingWidth =
        std::max(area.width() - mainWidth, std::min(kMinDrawingWindowWidth, area.width()));
    pair.drawing = QRect(area.left(), area.top(), drawingWidth, area.height());
    return pair;
}

QRect AvailableArea(const QWidget* window)
{
    return ScreenArea(window);
}

void SetFrameGeometry(QWidget* window, const QRect& frame)
{
    window->setGeometry(frame.marginsRemoved(FrameMargins(window)));
}

void StoreGeometry(SettingsStore& settings, const char* key, const QWidget* window)
{
    settings.Set(key, window->saveGeometry().toBase64().toStdString());
}

bool RestoreGeometry(const SettingsStore& settings, const char* key, QWidget* window)
{
    const std::string text = settings.Get(key, "");
    if (text.empty())
        return false;
    const QByteArray bytes = QByteArray::fromBase64(QByteArray::fromStdString(text));
    const QRect before = window->geometry();
    if (!window->restoreGeometry(bytes)) {
        window->setGeometry(before);
        return false;
    }
    // Qt brings a window from a missing screen back; one larger than this screen is made to fit.
    const QRect area = ScreenArea(window);
    if (!area.isEmpty() && !(window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        const QMargins margins = FrameMargins(window);
        const QRect frame = window->geometry().marginsAdded(margins);
        const QRect kept = KeptInside(frame, area);
        if (kept != frame)
            window->setGeometry(kept.marginsRemoved(margins));
    }
    return true;
}

void PlaceMainAndDrawing(const SettingsStore& settings, QWidget* main, QWidget* drawing)
{
    const bool mainRestored = RestoreGeometry(settings, kMainWindowGeometrySetting, main);
    const bool drawingRestored =
        drawing != nullptr && RestoreGeometry(settings, kDrawingWindowGeometrySetting, drawing);
    if (mainRestored && (drawing == nullptr || drawingRestored))
        return;
    const QRect area = ScreenArea(main);
    if (area.isEmpty())
        return;
    const QMargins margins = FrameMargins(main);
    const QSize wanted = main->size().grownBy(margins);
    const QSize minimum = main->minimumSizeHint().expandedTo(main->minimumSize()).grownBy(margins);
    const WindowPair pair = PlaceSideBySide(area, wanted, minimum);
    if (!mainRestored)
        SetFrameGeometry(main, pair.main);
    if (drawing != nullptr && !drawingRestored)
        SetFrameGeometry(drawing, pair.drawing);
}

} // namespace velrok::app

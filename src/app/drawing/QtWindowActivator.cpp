// Top-level window activation by title.
#include "app/drawing/QtWindowActivator.h"

#include <QApplication>
#include <QWidget>

namespace velrok::app {

bool QtWindowActivator::ActivateWindowByTitle(const std::string& title)
{
    const QString wanted = QString::fromStdString(title);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w->windowTitle() != wanted)
            continue;
        if (w->isMinimized())
            w->showNormal();
        w->raise();
        w->activateWindow();
        return true;
    }
    return false;
}

} // namespace velrok::app

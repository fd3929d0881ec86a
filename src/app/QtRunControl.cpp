// Yield processes pending window events so the window stays alive and Quit can be pressed.
#include "app/QtRunControl.h"

#include <QCoreApplication>

namespace velrok::app {

void QtRunControl::Yield()
{
    QCoreApplication::processEvents();
}

} // namespace velrok::app

// Status panels and progress bar of the main window.
#include "app/QtStatusService.h"

#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

namespace velrok::app {

namespace {
constexpr int kProgressBorderPixels = 2;
}

QtStatusService::QtStatusService(QStatusBar* statusBar)
    : QObject(statusBar), m_statusBar(statusBar), m_panel1(new QLabel(statusBar)),
      m_panel2(new QLabel(statusBar)), m_progress(new QProgressBar(statusBar))
{
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel2->setObjectName(QStringLiteral("Panel2"));
    m_panel1->setMinimumWidth(320);
    m_statusBar->addWidget(m_panel1, 2);
    m_statusBar->addWidget(m_panel2, 3);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->hide();
    m_statusBar->installEventFilter(this);
    m_panel2->installEventFilter(this);
}

QLabel* QtStatusService::Panel(int panel) const
{
    return panel == 1 ? m_panel1 : m_panel2;
}

void QtStatusService::SetPanel(int panel, const std::string& text)
{
    Panel(panel)->setText(QString::fromStdString(text));
}

void QtStatusService::SetProgressVisible(bool visible)
{
    m_progress->setVisible(visible);
    if (visible)
        LayProgressOverPanel2();
}

void QtStatusService::SetProgressMaximum(int maximum)
{
    m_progress->setMaximum(maximum);
}

void QtStatusService::SetProgressValue(int value)
{
    m_progress->setValue(value);
}

void QtStatusService::RestoreWindow()
{
    if (QWidget* window = m_statusBar->window())
        window->showNormal();
}

void QtStatusService::LayProgressOverPanel2()
{
    const QRect panel = m_panel2->geometry();
    m_progress->setGeometry(panel.left(), kProgressBorderPixels, panel.width(),
                            m_statusBar->height() - kProgressBorderPixels);
    m_progress->raise();
}

bool QtStatusService::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move)
        LayProgressOverPanel2();
    return QObject::eventFilter(watched, event);
}

} // namespace velrok::app

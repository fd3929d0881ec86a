// The help viewer: a QTextBrowser over the HTML pages of docs/help.
#include "app/HelpViewer.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace velrok::app {

HelpViewer::HelpViewer(QWidget* parent) : QDialog(parent), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Velrok Help"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);
    m_browser->setSearchPaths({QStringLiteral(":/help")});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(640, 560);
}

void HelpViewer::ShowTopic(int topic)
{
    m_topic = topic;
    m_browser->setSource(QUrl(QStringLiteral("qrc:/help/topic%1.html").arg(topic)));
}

HelpViewer* OpenHelp(QWidget* owner, int topic)
{
    auto* viewer = owner->findChild<HelpViewer*>(QStringLiteral("HelpViewer"), Qt::FindDirectChildrenOnly);
    if (viewer == nullptr)
        viewer = new HelpViewer(owner);
    viewer->ShowTopic(topic);
    viewer->show();
    viewer->raise();
    return viewer;
}

} // namespace velrok::app

// Our own HTML help, shown inside the program: topic 1 the main window, topic 2 the general
// settings. The pages are compiled into the program under qrc:/help/.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace velrok::app {

class HelpViewer : public QDialog {
    Q_OBJECT
  public:
    explicit HelpViewer(QWidget* parent = nullptr);
    void ShowTopic(int topic);
    int Topic() const { return m_topic; }
    QTextBrowser* Browser() const { return m_browser; }

  private:
    QTextBrowser* m_browser;
    int m_topic = 0;
};

// Opens the help at a topic in the viewer owned by `owner`, creating it on first use.
HelpViewer* OpenHelp(QWidget* owner, int topic);

} // namespace velrok::app

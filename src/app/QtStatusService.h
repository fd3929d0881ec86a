// The main window's status bar as the core's StatusService: two text panels and the progress bar
// that lies over panel 2 (re-laid whenever the status bar changes size).
#pragma once

#include "common/UiServices.h"

#include <QObject>

class QLabel;
class QProgressBar;
class QStatusBar;

namespace velrok::app {

class QtStatusService : public QObject, public StatusService {
    Q_OBJECT
  public:
    // Adds the panels "Panel1" and "Panel2" and the progress bar "ProgressBar1" to the status bar.
    explicit QtStatusService(QStatusBar* statusBar);

    void SetPanel(int panel, const std::string& text) override;
    void SetProgressVisible(bool visible) override;
    void SetProgressMaximum(int maximum) override;
    void SetProgressValue(int value) override;
    void RestoreWindow() override;

    QLabel* Panel(int panel) const;
    QProgressBar* ProgressBar() const { return m_progress; }
    // Lays the progress bar over panel 2: panel left and width, status bar top plus a 2-pixel
    // border, status bar height less the border.
    void LayProgressOverPanel2();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QStatusBar* m_statusBar;
    QLabel* m_panel1;
    QLabel* m_panel2;
    QProgressBar* m_progress;
};

} // namespace velrok::app

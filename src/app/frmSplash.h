// The splash form: the decimal separator to type, the version, and after 2000 ms the hand-over
// to the main window.
#pragma once

#include <QDialog>
#include <QLocale>

#include <memory>

class QTimer;

namespace Ui {
class frmSplash;
}

namespace velrok::app {

inline constexpr int kSplashMilliseconds = 2000;

class frmSplash : public QDialog {
    Q_OBJECT
  public:
    explicit frmSplash(const QLocale& userLocale, QWidget* parent = nullptr);
    ~frmSplash() override;
    Ui::frmSplash& Form() { return *m_ui; }
    QTimer* Timer() const { return m_timer; }

  signals:
    // Emitted when the timer closed the splash: the main window is shown now.
    void Finished();

  private:
    std::unique_ptr<Ui::frmSplash> m_ui;
    QTimer* m_timer;
};

} // namespace velrok::app

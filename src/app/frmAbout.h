// The about form: version, description and the link to the project's update page.
#pragma once

#include "common/UiServices.h"

#include <QDialog>
#include <QUrl>

#include <functional>
#include <memory>

namespace Ui {
class frmAbout;
}

namespace velrok::app {

// Where updates are published (the project's home page).
inline constexpr const char* kUpdatePage = "https://velrok.example.org/";

class frmAbout : public QDialog {
    Q_OBJECT
  public:
    using UrlOpener = std::function<bool(const QUrl&)>;
    // `openUrl` hands an address to the desktop's default handler (QDesktopServices by default).
    frmAbout(MessageService& messages, QWidget* parent = nullptr, UrlOpener openUrl = {});
    ~frmAbout() override;
    Ui::frmAbout& Form() { return *m_ui; }

  private:
    void CheckForUpdates();

    std::unique_ptr<Ui::frmAbout> m_ui;
    MessageService& m_messages;
    UrlOpener m_openUrl;
};

} // namespace velrok::app

// Message boxes and questions of the core shown as QMessageBox, parented to the main window.
#pragma once

#include "common/UiServices.h"

#include <QString>

class QWidget;

namespace velrok::app {

// The core lays out messages with carriage returns; a Qt label wants line feeds.
QString MessageTextForDisplay(const std::string& text);
// The answer for the QMessageBox button `pressed` (a QMessageBox::StandardButton); anything but
// Save or Discard to a Save / Discard / Cancel question is Cancel.
MsgAnswer AnswerOf(MsgButtons buttons, int pressed);

class QtMessageService : public MessageService {
  public:
    explicit QtMessageService(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }
    MsgAnswer Show(const std::string& title, const std::string& text, MsgIcon icon,
                   MsgButtons buttons = MsgButtons::Ok) override;

  private:
    QWidget* m_parent;
};

} // namespace velrok::app

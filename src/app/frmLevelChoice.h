// A checkable list of drawing levels: which levels hold obstacles, or kerbs. Levels named before
// that the current drawing lacks stay in the list, checked and in italics.
#pragma once

#include "output/SweptAreaOptions.h"

#include <QDialog>

#include <memory>
#include <vector>

namespace Ui {
class frmLevelChoice;
}

namespace velrok::app {

class frmLevelChoice : public QDialog {
    Q_OBJECT
  public:
    frmLevelChoice(const QString& title, std::vector<LevelChoice> choices, QWidget* parent = nullptr);
    ~frmLevelChoice() override;

    // The list with the check states as the user left them.
    std::vector<LevelChoice> Choices() const;
    Ui::frmLevelChoice& Form() { return *m_ui; }

  private:
    std::unique_ptr<Ui::frmLevelChoice> m_ui;
    std::vector<LevelChoice> m_choices;
};

} // namespace velrok::app

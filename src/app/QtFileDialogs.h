// The vehicle library's open and save dialogs as QFileDialog.
#pragma once

#include "vehicle/VehicleLibrary.h"

#include <QString>

class QWidget;

namespace velrok::app {

// "Vehicle Data (*.vdt)|*.vdt" (description "|" pattern pairs) as a Qt name filter list.
QString QtNameFilters(const std::string& filter);

class QtFileDialogs : public FileDialogs {
  public:
    explicit QtFileDialogs(QWidget* owner) : m_owner(owner) {}
    std::string OpenFile(const Options& options) override;
    std::string SaveFile(const Options& options) override;

  private:
    QWidget* m_owner;
};

} // namespace velrok::app

// The conflicts of the last sweep run as a table: class, element, first and last station, depth of
// intrusion and least clearance, numbers in the user's locale. Choosing a row hands its box in
// drawing units to whoever shows the drawing; an empty list reads "No conflicts".
#pragma once

#include <QLocale>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QTableWidget;

namespace Ui {
class ConflictTable;
}

namespace velrok::app {

// One conflict as the table shows it: the run's result with its box as a plain world rectangle.
struct ConflictTableRow {
    std::string kind;    // "kerb", "obstacle", "clearance"
    std::string element; // the element's DXF handle, or its identifier in hex
    double firstStation = 0.0;
    double lastStation = 0.0;
    double depth = 0.0;
    double leastClearance = 0.0;
    // The drawing-units box to show when the row is chosen.
    double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;
};

inline constexpr int kConflictColumns = 6;
inline constexpr int kConflictDecimals = 2;
// Shown instead of a number the run could not give (infinite or not a number).
inline constexpr const char* kConflictNoValue = "n/a";

// The six cell texts of a row, in column order: the numbers with two decimals in `locale`.
std::array<QString, kConflictColumns> ConflictRowTexts(const ConflictTableRow& row, const QLocale& locale);
// The row's box, its corners put in order whichever way round they were given; none when a corner
// is not a finite number (an empty box of the run has infinite corners), so nothing is zoomed to.
std::optional<QRectF> ConflictWorldBox(const ConflictTableRow& row);

class ConflictTable : public QWidget {
    Q_OBJECT
  public:
    explicit ConflictTable(QWidget* parent = nullptr);
    ~ConflictTable() override;

    // Replaces the listed conflicts, in the given order; no rows shows "No conflicts".
    void SetRows(std::vector<ConflictTableRow> rows);
    const std::vector<ConflictTableRow>& Rows() const { return m_rows; }
    // The chosen row, or -1.
    int CurrentRow() const;

    QTableWidget* List() const;
    QLabel* EmptyLabel() const;

  signals:
    // A row with a box was clicked or reached with the keyboard: its index and its box in drawing
    // units.
    void ConflictChosen(int row, QRectF world);

  private:
    void Choose(int row);

    std::unique_ptr<Ui::ConflictTable> m_ui;
    std::vector<ConflictTableRow> m_rows;
};

} // namespace velrok::app

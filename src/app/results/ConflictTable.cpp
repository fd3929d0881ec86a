// Filling the conflicts table and passing a chosen row's box on.
#include "app/results/ConflictTable.h"

#include "ui_ConflictTable.h"

#include <QHeaderView>
#include <QTableWidgetItem>

#include <cmath>

namespace velrok::app {

namespace {

QString Number(double value, const QLocale& locale)
{
    return std::isfinite(value) ? locale.toString(value, 'f', kConflictDecimals) : QString(kConflictNoValue);
}

} // namespace

std::array<QString, kConflictColumns> ConflictRowTexts(const ConflictTableRow& row, const QLocale& locale)
{
    return {QString::fromStdString(row.kind), QString::fromStdString(row.element),
            Number(row.firstStation, locale), Number(row.lastStation, locale),
            Number(row.depth, locale),        Number(row.leastClearance, locale)};
}

std::optional<QRectF> ConflictWorldBox(const ConflictTableRow& row)
{
    for (double corner : {row.minX, row.minY, row.maxX, row.maxY})
        if (!std::isfinite(corner))
            return std::nullopt;
    return QRectF(QPointF(row.minX, row.minY), QPointF(row.maxX, row.maxY)).normalized();
}

ConflictTable::ConflictTable(QWidget* parent) : QWidget(parent), m_ui(std::make_unique<Ui::ConflictTable>())
{
    m_ui->setupUi(this);
    m_ui->ConflictList->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // A press changes the selection, a click on the row already chosen shows it again (after the
    // user has panned away); the keyboard moves the selection too.
    connect(m_ui->ConflictList, &QTableWidget::itemSelectionChanged, this, [this] {
        const QList<QTableWidgetItem*> items = m_ui->ConflictList->selectedItems();
        if (!items.isEmpty())
            Choose(items.front()->row());
    });
    connect(m_ui->ConflictList, &QTableWidget::cellClicked, this, [this](int row, int) { Choose(row); });
    SetRows({});
}

ConflictTable::~ConflictTable() = default;

void ConflictTable::SetRows(std::vector<ConflictTableRow> rows)
{
    m_rows = std::move(rows);
    QTableWidget* list = m_ui->ConflictList;
    const QSignalBlocker quiet(list); // filling is no choice of the user's
    list->clearContents();
    list->setRowCount(static_cast<int>(m_rows.size()));
    const QLocale numbers = locale();
    for (size_t r = 0; r < m_rows.size(); ++r) {
        const auto texts = ConflictRowTexts(m_rows[r], numbers);
        for (int c = 0; c < kConflictColumns; ++c) {
            auto* item = new QTableWidgetItem(texts[static_cast<size_t>(c)]);
            if (c >= 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            list->setItem(static_cast<int>(r), c, item);
        }
    }
    list->clearSelection();
    list->setCurrentCell(-1, -1);
    m_ui->NoConflictsLabel->setVisible(m_rows.empty());
    list->setVisible(!m_rows.empty());
}

int ConflictTable::CurrentRow() const
{
    const QList<QTableWidgetItem*> items = m_ui->ConflictList->selectedItems();
    return items.isEmpty() ? -1 : items.front()->row();
}

QTableWidget* ConflictTable::List() const
{
    return m_ui->ConflictList;
}

QLabel* ConflictTable::EmptyLabel() const
{
    return m_ui->NoConflictsLabel;
}

void ConflictTable::Choose(int row)
{
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return;
    if (const auto box = ConflictWorldBox(m_rows[static_cast<size_t>(row)]))
        emit ConflictChosen(row, *box);
}

} // namespace velrok::app

// The level choice dialog over LevelChoices / LevelSettingOf.
#include "app/frmLevelChoice.h"

#include "ui_frmLevelChoice.h"

#include <QCoreApplication>

namespace velrok::app {

frmLevelChoice::frmLevelChoice(const QString& title, std::vector<LevelChoice> choices, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmLevelChoice>()), m_choices(std::move(choices))
{
    m_ui->setupUi(this);
    setWindowTitle(title);
    for (const LevelChoice& c : m_choices) {
        auto* item = new QListWidgetItem(QString::fromStdString(c.name), m_ui->List_Levels);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(c.checked ? Qt::Checked : Qt::Unchecked);
        if (!c.inDrawing) {
            QFont italic = item->font();
            italic.setItalic(true);
            item->setFont(italic);
            item->setToolTip(QCoreApplication::translate("frmLevelChoice", "Pas dans le dessin actuel"));
        }
    }
    connect(m_ui->Command1, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->Command2, &QPushButton::clicked, this, &QDialog::reject);
}

frmLevelChoice::~frmLevelChoice() = default;

std::vector<LevelChoice> frmLevelChoice::Choices() const
{
    std::vector<LevelChoice> out = m_choices;
    for (size_t i = 0; i < out.size(); ++i)
        out[i].checked = m_ui->List_Levels->item(static_cast<int>(i))->checkState() == Qt::Checked;
    return out;
}

} // namespace velrok::app

// QFileDialog behind the vehicle library's file commands.
#include "app/QtFileDialogs.h"

#include <QFileDialog>
#include <QStringList>

namespace velrok::app {

QString QtNameFilters(const std::string& filter)
{
    const QStringList pieces = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
        const QString& description = pieces[i];
        filters << (description.contains(QLatin1Char('('))
                        ? description
                        : description + QStringLiteral(" (%1)").arg(pieces[i + 1]));
    }
    return filters.join(QStringLiteral(";;"));
}

namespace {

std::string Run(QWidget* owner, const FileDialogs::Options& options, bool save)
{
    const QString title = !options.title.empty() ? QString::fromStdString(options.title)
                          : save                 ? QStringLiteral("Save As")
                                                 : QStringLiteral("Open");
    QFileDialog dialog(owner, title,
                       QString::fromStdString(options.initialFolder), QtNameFilters(options.filter));
    dialog.setDefaultSuffix(QString::fromStdString(options.defaultExtension));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The command itself refuses an existing file with its own message.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst().toStdString();
}

} // namespace

std::string QtFileDialogs::OpenFile(const Options& options)
{
    return Run(m_owner, options, false);
}

std::string QtFileDialogs::SaveFile(const Options& options)
{
    return Run(m_owner, options, true);
}

} // namespace velrok::app

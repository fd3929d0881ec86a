// Message boxes through QMessageBox.
#include "app/QtMessageService.h"

#include <QMessageBox>

namespace velrok::app {

QString MessageTextForDisplay(const std::string& text)
{
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

MsgAnswer QtMessageService::Show(const std::string& title, const std::string& text, MsgIcon icon,
                                 MsgButtons buttons)
{
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    switch (icon) {
    case MsgIcon::Exclamation:
        qtIcon = QMessageBox::Warning;
        break;
    case MsgIcon::Critical:
        qtIcon = QMessageBox::Critical;
        break;
    case MsgIcon::Information:
        qtIcon = QMessageBox::Information;
        break;
    case MsgIcon::Question:
        qtIcon = QMessageBox::Question;
        break;
    case MsgIcon::None:
        break;
    }
    const QMessageBox::StandardButtons qtButtons =
        buttons == MsgButtons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok;
    QMessageBox box(qtIcon, QString::fromStdString(title), MessageTextForDisplay(text), qtButtons, m_parent);
    // A topmost main window would otherwise hide its own boxes.
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    const int answer = box.exec();
    if (buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    return answer == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
}

} // namespace velrok::app

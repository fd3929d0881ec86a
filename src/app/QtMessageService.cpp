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
    QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
    if (buttons == MsgButtons::YesNo)
        qtButtons = QMessageBox::Yes | QMessageBox::No;
    else if (buttons == MsgButtons::SaveDiscardCancel)
        qtButtons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    QMessageBox box(qtIcon, QString::fromStdString(title), MessageTextForDisplay(text), qtButtons, m_parent);
    // The small forms that stay above the others would otherwise hide the boxes they raise.
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (buttons == MsgButtons::SaveDiscardCancel) {
        // Enter saves; Escape or the window's close button cancels, so nothing is lost by accident.
        box.setDefaultButton(QMessageBox::Save);
        box.setEscapeButton(QMessageBox::Cancel);
    }
    return AnswerOf(buttons, box.exec());
}

MsgAnswer AnswerOf(MsgButtons buttons, int pressed)
{
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::YesNo:
        return pressed == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    case MsgButtons::SaveDiscardCancel:
        if (pressed == QMessageBox::Save)
            return MsgAnswer::Save;
        if (pressed == QMessageBox::Discard)
            return MsgAnswer::Discard;
        return MsgAnswer::Cancel;
    }
    return MsgAnswer::Cancel;
}

} // namespace velrok::app

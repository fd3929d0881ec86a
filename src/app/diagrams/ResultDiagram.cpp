// Painting, readout and clipboard copy of a result diagram.
#include "app/diagrams/ResultDiagram.h"

#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace velrok::app {

namespace {

constexpr const char* kCopyFailureTitle = "Veichle Turning Simulation";

QColor ToQColor(Rgb c)
{
    return QColor(c.r, c.g, c.b);
}

} // namespace

QImage RenderDiagram(const DiagramPicture& picture, QSize size, const QFont& font)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(ToQColor(kDiagramBackground));
    QPainter painter(&image);
    painter.setFont(font);
    const double w = image.width(), h = image.height();
    const double ySpan = picture.yTop - picture.yBottom;
    // With no horizontal extent every x maps to the left edge: nothing is divided by zero.
    auto px = [&](double x) { return picture.xMax > 0.0 ? x / picture.xMax * w : 0.0; };
    auto py = [&](double y) { return (picture.yTop - y) / ySpan * h; };
    for (const DiagramLine& line : picture.lines) {
        QPen pen(ToQColor(line.color), 1.0, line.dotted ? Qt::DotLine : Qt::SolidLine);
        painter.setPen(pen);
        if (line.fullWidth)
            painter.drawLine(QPointF(0.0, py(line.y1)), QPointF(w, py(line.y1)));
        else
            painter.drawLine(QPointF(px(line.x1), py(line.y1)), QPointF(px(line.x2), py(line.y2)));
    }
    const QFontMetrics metrics(font);
    for (const DiagramText& text : picture.texts) {
        painter.setPen(ToQColor(text.color));
        const double top = py(text.top) + text.linesBelow * metrics.height();
        const QString shown = QString::fromStdString(text.text);
        double left = px(text.x);
        if (text.align == TextAlign::Centre)
            left -= metrics.horizontalAdvance(shown) / 2.0;
        else if (text.align == TextAlign::Right)
            left -= metrics.horizontalAdvance(shown);
        painter.drawText(QPointF(left, top + metrics.ascent()), shown);
    }
    return image;
}

ResultDiagram::ResultDiagram(DiagramKind kind, MessageService* messages, char decimalSeparator,
                             QWidget* parent)
    : QWidget(parent), m_kind(kind), m_messages(messages), m_separator(decimalSeparator)
{
    const bool angle = kind == DiagramKind::Angle;
    setObjectName(angle ? "AngleDiagram" : "SpeedDiagram");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setMinimumSize(120, 80);
    m_picture.kind = kind;
    if (!angle) {
        m_picture.yTop = kSpeedTop;
        m_picture.yBottom = kSpeedBottom;
    }
    m_menu = new QMenu(this);
    m_menu->setObjectName(angle ? "popup" : "popup2");
    QAction* copy = m_menu->addAction("Copy", this, [this] { CopyToClipboard(); });
    copy->setObjectName(angle ? "M_CopyToClipboard" : "M_CopyToClipboard2");
    m_menu->addAction("Save as PNG...", this, &ResultDiagram::SaveAsPngDialog)->setObjectName("M_SaveAsPng");
}

void ResultDiagram::SetPicture(DiagramPicture picture)
{
    m_picture = std::move(picture);
    Redraw();
}

void ResultDiagram::Redraw()
{
    m_image = RenderDiagram(m_picture, size(), font());
    update();
}

QPointF ResultDiagram::ToUser(QPointF pixel) const
{
    const double w = std::max(1, width()), h = std::max(1, height());
    return {pixel.x() / w * m_picture.xMax,
            m_picture.yTop - pixel.y() / h * (m_picture.yTop - m_picture.yBottom)};
}

QString ResultDiagram::ReadoutAt(QPointF pixel) const
{
    const QPointF user = ToUser(pixel);
    return QString::fromStdString(PointerReadout(m_kind, user.x(), user.y(), m_separator));
}

bool ResultDiagram::CopyToClipboard()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr || m_image.isNull()) {
        const std::string text = "The diagram could not be copied to the clipboard.";
        if (m_messages != nullptr)
            m_messages->Show(kCopyFailureTitle, text, MsgIcon::Exclamation);
        else
            QMessageBox::warning(this, kCopyFailureTitle, QString::fromStdString(text));
        return false;
    }
    clipboard->clear();
    clipboard->setImage(m_image);
    return true;
}

bool ResultDiagram::SaveAsPng(const std::string& path)
{
    if (m_image.save(QString::fromStdString(path), "PNG"))
        return true;
    const std::string text = "Cannot write the file " + path;
    if (m_messages != nullptr)
        m_messages->Show(kCopyFailureTitle, text, MsgIcon::Exclamation);
    else
        QMessageBox::warning(this, kCopyFailureTitle, QString::fromStdString(text));
    return false;
}

void ResultDiagram::SaveAsPngDialog()
{
    QString path = QFileDialog::getSaveFileName(this, "Save as PNG", QString(), "PNG pictures (*.png)");
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += ".png";
    SaveAsPng(path.toStdString());
}

void ResultDiagram::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_image.size() != size())
        m_image = RenderDiagram(m_picture, size(), font());
    painter.drawImage(0, 0, m_image);
}

void ResultDiagram::resizeEvent(QResizeEvent*)
{
    Redraw();
}

void ResultDiagram::mouseMoveEvent(QMouseEvent* event)
{
    const QString text = ReadoutAt(event->position());
    setToolTip(text);
    QToolTip::showText(event->globalPosition().toPoint(), text, this);
}

void ResultDiagram::mousePressEvent(QMouseEvent* event)
{
    // Only the right button does something: it opens the diagram's menu.
    if (event->button() == Qt::RightButton)
        m_menu->popup(event->globalPosition().toPoint());
}

} // namespace velrok::app

// Painting the chosen conflict's box over the canvas.
#include "app/results/ConflictBoxOverlay.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace velrok::app {

namespace {

// Apart from the path mark's orange and the group highlight's cyan, and read on the dark paper.
const QColor kConflictBoxColor(255, 40, 40);
constexpr double kConflictBoxPenPx = 2.0;

} // namespace

QRectF ConflictBoxOnScreen(const QRectF& world, const std::function<QPointF(QPointF)>& toScreen)
{
    QRectF box = QRectF(toScreen(world.topLeft()), toScreen(world.bottomRight())).normalized();
    const QPointF centre = box.center();
    box.setWidth(std::max(box.width(), kConflictBoxMinPx));
    box.setHeight(std::max(box.height(), kConflictBoxMinPx));
    box.moveCenter(centre);
    return box;
}

ConflictBoxOverlay::ConflictBoxOverlay(QWidget* canvas, std::function<QPointF(QPointF)> toScreen)
    : QWidget(canvas), m_canvas(canvas), m_toScreen(std::move(toScreen))
{
    setObjectName("ConflictBoxOverlay");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(canvas->rect());
    canvas->installEventFilter(this);
    hide();
}

void ConflictBoxOverlay::SetBox(std::optional<QRectF> world)
{
    m_box = world;
    setVisible(m_box.has_value());
    if (m_box) {
        raise();
        update();
    }
}

bool ConflictBoxOverlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_canvas && event->type() == QEvent::Resize)
        setGeometry(m_canvas->rect());
    return QWidget::eventFilter(watched, event);
}

void ConflictBoxOverlay::paintEvent(QPaintEvent*)
{
    if (!m_box)
        return;
    QPainter painter(this);
    QPen pen(kConflictBoxColor, kConflictBoxPenPx, Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(
        QColor(kConflictBoxColor.red(), kConflictBoxColor.green(), kConflictBoxColor.blue(), 40));
    painter.drawRect(ConflictBoxOnScreen(*m_box, m_toScreen));
}

} // namespace velrok::app

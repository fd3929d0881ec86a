// The mouse and keyboard tools of the drawing view: wheel zoom, pan, click and window selection,
// and the path tool that turns clicked points into a bulged polyline.
#include "app/drawing/DrawingCanvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <cmath>

namespace velrok::app {

void DrawingCanvas::wheelEvent(QWheelEvent* event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0.0)
        return;
    m_view.SetSize(size());
    m_view.ZoomAt(event->position(), std::pow(kWheelZoomStep, notches));
    update();
    event->accept();
}

void DrawingCanvas::SetTool(CanvasTool tool)
{
    m_tool = tool;
    if (tool != CanvasTool::DrawPath)
        m_pathPoints.clear();
    setCursor(tool == CanvasTool::Pan ? Qt::OpenHandCursor
                                      : (tool == CanvasTool::DrawPath ? Qt::CrossCursor : Qt::ArrowCursor));
    update();
}

void DrawingCanvas::AddPathPoint(QPointF world)
{
    m_pathPoints.push_back(world);
    update();
}

std::optional<host::ElementHandle> DrawingCanvas::FinishPath()
{
    const BulgedPolyline path = FilletedPolyline(m_pathPoints, m_filletRadius);
    m_pathPoints.clear();
    update();
    if (!m_drawing || path.vertices.size() < 2)
        return std::nullopt;
    host::DrawingElement element;
    element.kind = host::ElementKind::Polyline;
    element.vertices = path.vertices;
    element.extras->bulges = path.bulges;
    element.level = m_pathLevel.value_or(m_drawing->DefaultLevel());
    const host::ElementHandle handle = m_drawing->AddNewElement(std::move(element));
    // The new path is selected at once, so Add path can take it without another click.
    m_drawing->UnselectAllElements();
    m_drawing->Select(handle);
    emit SelectionChanged();
    emit PathFinished(handle);
    return handle;
}

void DrawingCanvas::CancelPath()
{
    m_pathPoints.clear();
    update();
}

void DrawingCanvas::mousePressEvent(QMouseEvent* event)
{
    m_pressAt = m_lastDrag = m_pointer = event->position();
    m_dragButton = event->button();
    m_dragging = false;
    if (event->button() == Qt::MiddleButton ||
        (event->button() == Qt::LeftButton && m_tool == CanvasTool::Pan))
        setCursor(Qt::ClosedHandCursor);
}

void DrawingCanvas::mouseMoveEvent(QMouseEvent* event)
{
    m_pointer = event->position();
    m_view.SetSize(size());
    emit PointerMoved(m_view.ToWorld(m_pointer));
    if (m_dragButton != Qt::NoButton &&
        std::hypot(m_pointer.x() - m_pressAt.x(), m_pointer.y() - m_pressAt.y()) > kDragThresholdPx)
        m_dragging = true;
    const bool panning =
        m_dragButton == Qt::MiddleButton || (m_dragButton == Qt::LeftButton && m_tool == CanvasTool::Pan);
    if (panning && m_dragging) {
        m_view.Pan(m_pointer - m_lastDrag);
        m_lastDrag = m_pointer;
    }
    update();
}

void DrawingCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    m_pointer = event->position();
    const bool add = (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) != 0;
    if (event->button() == Qt::LeftButton && m_dragButton == Qt::LeftButton) {
        if (m_tool == CanvasTool::Select) {
            if (m_dragging)
                SelectWindow(QRectF(m_pressAt, m_pointer).normalized(), add);
            else
                SelectAt(m_pointer, add);
        } else if (m_tool == CanvasTool::DrawPath && !m_dragging) {
            m_view.SetSize(size());
            AddPathPoint(m_view.ToWorld(m_pointer));
        }
    } else if (event->button() == Qt::RightButton && m_tool == CanvasTool::DrawPath && !m_dragging) {
        FinishPath();
    }
    m_dragButton = Qt::NoButton;
    m_dragging = false;
    SetTool(m_tool); // the cursor of the tool again after a pan
}

void DrawingCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The press of the double click has already added its point.
    if (event->button() == Qt::LeftButton && m_tool == CanvasTool::DrawPath)
        FinishPath();
}

void DrawingCanvas::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        if (m_tool == CanvasTool::DrawPath && !m_pathPoints.empty())
            CancelPath();
        else if (m_drawing) {
            m_drawing->UnselectAllElements();
            emit SelectionChanged();
            update();
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_tool == CanvasTool::DrawPath)
            FinishPath();
        break;
    case Qt::Key_Backspace:
        if (!m_pathPoints.empty()) {
            m_pathPoints.pop_back();
            update();
        }
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace velrok::app

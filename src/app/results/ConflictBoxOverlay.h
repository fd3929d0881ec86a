// The chosen conflict's box drawn over the drawing canvas in screen pixels. It is no element of the
// drawing: it is never saved and never changes the drawing's revision. It knows the canvas only
// through a world-to-screen mapping, so it does not depend on the drawing window.
#pragma once

#include <QRectF>
#include <QWidget>

#include <functional>
#include <optional>

namespace velrok::app {

// However far the view is zoomed out, the box is drawn at least this wide and high.
inline constexpr double kConflictBoxMinPx = 8.0;

// The box on screen for a world box: the mapped corners in order, grown about its centre to the
// least size.
QRectF ConflictBoxOnScreen(const QRectF& world, const std::function<QPointF(QPointF)>& toScreen);

class ConflictBoxOverlay : public QWidget {
    Q_OBJECT
  public:
    // Lies over the whole of `canvas` and lets every mouse event through to it.
    ConflictBoxOverlay(QWidget* canvas, std::function<QPointF(QPointF)> toScreen);

    void SetBox(std::optional<QRectF> world);
    const std::optional<QRectF>& Box() const { return m_box; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QWidget* m_canvas;
    std::function<QPointF(QPointF)> m_toScreen;
    std::optional<QRectF> m_box;
};

} // namespace velrok::app

// One result diagram on screen: the picture painted in user coordinates on a dark background into
// an image that is kept (when covered) and redrawn at the new size (on resize); the pointer
// readout as tooltip; the right-button menu with "Copy" (the bitmap to the clipboard) and
// "Save as PNG...".
#pragma once

#include "app/diagrams/DiagramPicture.h"
#include "common/UiServices.h"

#include <QImage>
#include <QWidget>

#include <string>

class QMenu;

namespace velrok::app {

class ResultDiagram : public QWidget {
    Q_OBJECT
  public:
    // The angle diagram's menu is "popup" with "M_CopyToClipboard", the speed diagram's "popup2"
    // with "M_CopyToClipboard2". Messages may be null (a plain warning box is shown then).
    ResultDiagram(DiagramKind kind, MessageService* messages, char decimalSeparator,
                  QWidget* parent = nullptr);

    void SetPicture(DiagramPicture picture);
    const DiagramPicture& Picture() const { return m_picture; }
    const QImage& Image() const { return m_image; }
    QMenu* PopupMenu() const { return m_menu; }
    void SetDecimalSeparator(char separator) { m_separator = separator; }
    char DecimalSeparator() const { return m_separator; }

    // Pixel position to user coordinates, and the readout shown there.
    QPointF ToUser(QPointF pixel) const;
    QString ReadoutAt(QPointF pixel) const;

    // Empties the clipboard and puts the diagram on it as a bitmap; false after telling the user.
    bool CopyToClipboard();
    bool SaveAsPng(const std::string& path);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void Redraw();
    void SaveAsPngDialog();

    DiagramKind m_kind;
    MessageService* m_messages;
    char m_separator;
    DiagramPicture m_picture;
    QImage m_image;
    QMenu* m_menu = nullptr;
};

// Renders a picture into an image of the given size: the pixels the widget shows.
QImage RenderDiagram(const DiagramPicture& picture, QSize size, const QFont& font);

} // namespace velrok::app

// Window placements the forms share: centred on the screen, or in its lower-right corner.
#pragma once

class QWidget;

namespace velrok::app {

// Centres a top-level window on its screen when it is in the normal state.
void CentreOnScreen(QWidget* window);
// Moves a normal-state window to the lower right of its screen, `margin` pixels from the edges.
void PlaceLowerRight(QWidget* window, int margin);

} // namespace velrok::app

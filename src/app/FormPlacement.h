// Window placements the forms share: centred on the screen, or the main
// window and the drawing window side by side; and their geometry kept in the settings store.
#pragma once

#include "common/SettingsStore.h"

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace velrok::app {

inline constexpr const char* kMainWindowGeometrySetting = "MainWindowGeometry";
inline constexpr const char* kDrawingWindowGeometrySetting = "DrawingWindowGeometry";
// The drawing window is not squeezed narrower than this to make room for the main window.
inline constexpr int kMinDrawingWindowWidth = 480;
// Title bar and borders assumed for a window the window manager has not framed yet.
inline constexpr QMargins kAssumedFrameMargins{4, 30, 4, 4};

// Centres a top-level window on its screen when it is in the normal state.
void CentreOnScreen(QWidget* window);

// Frame rectangles (title bar and borders included) of the two windows side by side in `area`:
// the main window at the top right, as wide as it wants when the drawing window keeps at least
// kMinDrawingWindowWidth (never narrower than `mainMinimum`), as high as it wants but no higher
// than the area; the drawing window the rest of the width at the left, the area's full height.
// Only an area too narrow for both minimums makes them overlap.
struct WindowPair {
    QRect main;
    QRect drawing;
};
WindowPair PlaceSideBySide(const QRect& area, QSize mainWanted, QSize mainMinimum);

// The screen area free of panels and task bars that the window is on (the primary screen's before
// it is shown).
QRect AvailableArea(const QWidget* window);
// Sets a top-level window's frame rectangle; its frame is assumed until the window has one.
void SetFrameGeometry(QWidget* window, const QRect& frame);

// The geometry (position, size and maximised state) as text for the settings store, and back.
// Restoring false leaves the window as it was: nothing stored, or not a geometry. A stored
// geometry from a larger or missing screen is brought back onto the available area.
void StoreGeometry(SettingsStore& settings, const char* key, const QWidget* window);
bool RestoreGeometry(const SettingsStore& settings, const char* key, QWidget* window);

// Shows the main and the drawing window as they were left, or, the first time, side by side on
// the main window's screen, neither above the other.
void PlaceMainAndDrawing(const SettingsStore& settings, QWidget* main, QWidget* drawing);

} // namespace velrok::app

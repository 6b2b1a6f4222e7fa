// Where the weather panel goes beside the main window: against the main
// window's right edge where the panel fits on the screen, else against its
// left edge, else as close to the right edge as the screen allows. The panel
// never leaves the screen the main window is on.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// The panel's top-left corner for a main window at MainFrame (its frame, in
// screen coordinates) and a panel of PanelSize (its frame size). Areas are
// the available geometries of the screens (without task bars and docks);
// the main window's screen is the one it overlaps most, or the nearest one
// when it overlaps none. The panel's top is the main window's top, moved
// down or up as far as needed to keep the panel on that screen. With no
// screen at all, the panel goes to the right edge.
QPoint PlaceWeatherPanel(const QRect& MainFrame, const QSize& PanelSize, const QList<QRect>& Areas);

// The available geometries of the screens the application knows now.
QList<QRect> AvailableScreenAreas();

// PlaceWeatherPanel for these two windows on the screens of the moment.
QPoint WeatherPanelPosition(const QWidget* Main, const QWidget* Panel);

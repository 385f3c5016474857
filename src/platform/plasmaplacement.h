#pragma once

#include <QPoint>

class QWindow;

// A Wayland compositor places a program's windows itself. KDE Plasma's
// lets the program say where (its plasma-shell protocol), so the windows
// can stand beside one another there as they do on X. Elsewhere, and off
// Wayland, nothing is done.
namespace plasmaplacement {

// Puts the window's frame corner at the point, in the compositor's global
// coordinates, now or as soon as it is shown; where the compositor takes
// positions.
void place(QWindow& window, QPoint frameTopLeft);

} // namespace plasmaplacement

#pragma once

class QWidget;

namespace WindowPlacement {
// Centres a top-level window, frame included, on the available area of its screen.
void centreOnScreen(QWidget *window);
// Shows a notice window centred, or only brings it forward when it is already up.
void showOrRaise(QWidget *window);
} // namespace WindowPlacement

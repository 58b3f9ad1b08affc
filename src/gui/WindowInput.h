#pragma once

class QWidget;

// How every window of the program takes keys and typed text.
namespace WindowInput {

enum class Escape { ClosesWindow, Ignored };

// Enter on a focused button presses it, as Space does; with ClosesWindow, Escape closes the
// window the way its close box does. Single-line fields keep every character typed or pasted,
// however long the text.
void prepare(QWidget *window, Escape escape);

} // namespace WindowInput

#pragma once

class QWidget;

// For the start-up benchmark: with DVZ_EXIT_WHEN_SHOWN set in the
// environment, the process ends as soon as the window is on screen.
void exitWhenShownIfAsked(QWidget* window);

#pragma once

class Application;
class QWidget;

// For the start-up benchmark: with DVZ_EXIT_WHEN_SHOWN set in the
// environment, the process ends as soon as the window is on screen.
void exitWhenShownIfAsked(QWidget* window);

// With DVZ_EXIT_WHEN_PLAYING set, the process ends as soon as a clip plays.
void exitWhenPlayingIfAsked(Application& app);

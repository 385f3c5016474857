#pragma once

class QWidget;

// SIGTERM, SIGINT and SIGHUP become close requests on the window, handled
// in the event loop (also inside a walk's event processing).
void closeWindowOnSignals(QWidget* window);

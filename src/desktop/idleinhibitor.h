#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

// Keeps the screen on while held: asks the desktop's screen saver not to
// start (org.freedesktop.ScreenSaver on the session bus, else the desktop
// portal's Inhibit), and on X11 also resets the server's own screen saver
// now and then. Silent where none of these exists; nothing waits for the
// bus on the window's thread, except release() as the program ends.
class IdleInhibitor : public QObject {
    Q_OBJECT
public:
    explicit IdleInhibitor(QObject* parent = nullptr);

    void setHeld(bool held);
    bool isHeld() const { return held_; }
    // Lets go now, waiting a moment for the bus: the program is ending.
    void release();

private:
    void inhibit();
    void inhibitThroughPortal();
    void uninhibit(bool waitForBus);
    void resetXScreenSaver();

    bool held_ = false;
    bool asking_ = false; // an Inhibit call is on its way
    std::optional<uint> cookie_;     // the screen saver's
    std::optional<QString> request_; // the portal's
    QTimer xReset_;
};

#pragma once

#include "core/resumekeeper.h"
#include "core/slideshow.h"

#include <QObject>

class Application;
class Clock;

class QAction;
class QActionGroup;
class QMenu;

// What the program offers beyond its documented menus, each off until the
// user turns it on and kept in the settings file's own [Extras] section:
// shuffled play (ランダム再生), resuming each folder where it was left
// (続きから再生), a slideshow of the pictures (スライドショー) and hardware
// decoding (ハードウェアデコード). Their entries follow the documented ones
// in the 操作 menu, after a separator.
class Extras : public QObject {
    Q_OBJECT
public:
    Extras(Application& app, QMenu& menu, Clock& clock);

    SlideShow& slideShow() { return slideShow_; }
    // With resume on: where the clips of searched folders were left.
    ResumeKeeper& resume() { return resume_; }

private:
    void addEntries(QMenu& menu);
    void restore();
    void setShuffle(bool on);
    void setResume(bool on);
    void setHardwareDecoding(bool on);
    void chooseSlideInterval(int seconds);
    void save(const QString& key, const QString& value);

    Application& app_;
    SlideShow slideShow_;
    ResumeKeeper resume_;
    QAction* shuffle_ = nullptr;
    QAction* resumeEntry_ = nullptr;
    QAction* hardwareDecoding_ = nullptr;
    QActionGroup* slideIntervals_ = nullptr;
};

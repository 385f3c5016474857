#pragma once

#include <QByteArray>
#include <QObject>
#include <vector>
#include <QElapsedTimer>
#include <QTimer>

class Application;
class SettingsStore;

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
    Extras(Application& app, QMenu& menu);

    static constexpr int kSlideIntervals[] = {3, 5, 10, 30}; // seconds

    // A still-picture search showed its first picture: a slideshow chosen
    // before runs from it.
    void picturesShown();
    // A video-mode search found its rows: with resume on, the row and
    // position the folder was left at are selected and returned (row 0:
    // none, play from row 1 as always).
    struct Resume {
        int row = 0;
        double position = 0;
    };
    Resume resumeFor(const QByteArray& searchedFolder);
    // The clip playing changed, or the program ends (now: true): where
    // the searched folder is is written, at most once a second.
    void notePlaying(bool now = false);

    // A key or a click in one of the program's windows stops the slideshow.
    void userActed();
    bool slideShowRunning() const { return slides_.isActive(); }

private:
    void addEntries(QMenu& menu);
    void restore();
    void setShuffle(bool on);
    void setResume(bool on);
    void writeResume();
    void setHardwareDecoding(bool on);
    void chooseSlideInterval(int seconds);
    void showNextSlide();
    void save(const QString& key, const QString& value);

    Application& app_;
    QAction* shuffle_ = nullptr;
    QAction* resume_ = nullptr;
    QAction* hardwareDecoding_ = nullptr;
    QActionGroup* slideIntervals_ = nullptr;
    int slideSeconds_ = 0;
    QTimer slides_;
    QByteArray resumeFolder_; // the folder searched, while resume is on
    QTimer resumeWrite_;      // at most one write a second
    QElapsedTimer sinceResumeWrite_;
};

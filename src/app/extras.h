#pragma once

#include <QObject>
#include <QTimer>

class Application;
class QAction;
class QActionGroup;
class QMenu;

// What the program offers beyond its documented menus, each off until the
// user turns it on and kept in the settings file's own [Extras] section:
// shuffled play (ランダム再生), a slideshow of the pictures (スライドショー)
// and hardware decoding (ハードウェアデコード). Their entries follow the
// documented ones in the 操作 menu, after a separator.
class Extras : public QObject {
    Q_OBJECT
public:
    Extras(Application& app, QMenu& menu);

    static constexpr int kSlideIntervals[] = {3, 5, 10, 30}; // seconds

    // A still-picture search showed its first picture: a slideshow chosen
    // before runs from it.
    void picturesShown();
    // A key or a click in one of the program's windows stops the slideshow.
    void userActed();
    bool slideShowRunning() const { return slides_.isActive(); }

private:
    void addEntries(QMenu& menu);
    void restore();
    void setShuffle(bool on);
    void setHardwareDecoding(bool on);
    void chooseSlideInterval(int seconds);
    void showNextSlide();
    void save(const QString& key, const QString& value);

    Application& app_;
    QAction* shuffle_ = nullptr;
    QAction* hardwareDecoding_ = nullptr;
    QActionGroup* slideIntervals_ = nullptr;
    int slideSeconds_ = 0;
    QTimer slides_;
};

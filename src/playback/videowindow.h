#pragma once

#include "playback/videolayout.h"

#include <QWidget>

class MediaPlayer;

// Form2: the video window beside the main window, holding the player.
class VideoWindow : public QWidget {
    Q_OBJECT
public:
    explicit VideoWindow(QWidget* parent = nullptr);

    MediaPlayer& player() { return *player_; }

    // Places the window beside a main window of that outer width and
    // remembers the design sizes (the two globals are the program's).
    void Form_Load(double mainOuterWidth, long& baseWidth, float& baseHeight);
    void Form_Resize();

    // Outer size and position in twips (frame and title bar included).
    double outerWidth() const;
    double outerHeight() const;
    void setOuterWidth(double width);
    void setOuterHeight(double height);
    // Player geometry in twips of the client area.
    twips::Rect playerGeometry() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    MediaPlayer* player_;
    videolayout::Memory memory_;
};

// The three window sizes of the "画面サイズ" menu.
void ApplyScreenSize(VideoWindow& window, int screenSize, long baseWidth, float baseHeight);

#pragma once

#include "platform/toolwindow.h"
#include "playback/videolayout.h"

class MediaPlayer;

// Form2: the video window beside the main window, holding the player.
class VideoWindow : public ToolWindow {
    Q_OBJECT
public:
    explicit VideoWindow(QWidget* parent = nullptr);

    MediaPlayer& player() { return *player_; }

    // Places the window beside a main window of that outer width and
    // records its outer size as the base of the 画面サイズ menu.
    void Form_Load(double mainOuterWidth, long& baseWidth, float& baseHeight);
    void Form_Resize();

    // Outer size in twips; the player follows at once, even while hidden.
    void setOuterSize(double width, double height);
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

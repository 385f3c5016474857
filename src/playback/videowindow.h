#pragma once

#include "platform/toolwindow.h"
#include "playback/videolayout.h"

#include <functional>

class MediaPlayer;

// Form2: the video window beside the main window, holding the player.
class VideoWindow : public ToolWindow {
    Q_OBJECT
public:
    explicit VideoWindow(QWidget* parent = nullptr);
    // The caption while no clip is loaded.
    static inline const QString kCaption = QStringLiteral("_");

    MediaPlayer& player() { return *player_; }

    // Places the window at the top left of the area right of the main
    // window (the function gives it, in pixels; see ToolWindow::placeOuter).
    void Form_Load(std::function<QRect()> areaBesideMainWindow);
    // The outer size at load in twips, the base of the 画面サイズ menu: the
    // load-time client size with the frame the window manager gives.
    long baseWidth() const;
    float baseHeight() const;
    void Form_Resize();

    // Outer size in twips; the player follows at once, even while hidden.
    void setOuterSize(double width, double height);
    // Player geometry in twips of the client area.
    twips::Rect playerGeometry() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void setBackground(bool fullScreen);

    MediaPlayer* player_;
    videolayout::Memory memory_;
    QSize loadClientSize_;
};

// The three window sizes of the "画面サイズ" menu: 50, 100 or 150 % of the
// load-time size; other values change nothing.
void ApplyScreenSize(VideoWindow& window, int screenSize);

#pragma once

#include "platform/toolwindow.h"

#include <QLabel>

class PictureImage;

// A label whose caption may separate its lines with a lone carriage
// return; it shows each line on a line of its own, the lines sharing its
// height evenly.
class CaptionLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    void setCaption(const QString& caption);
    QString caption() const { return caption_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
};

// Form4: the picture window, filling the screen right of the main window.
class PictureWindow : public ToolWindow {
    Q_OBJECT
public:
    explicit PictureWindow(QWidget* parent = nullptr);

    static const QString KeyHelpText;

    PictureImage& image() { return *image_; }
    CaptionLabel& label() { return *label_; }

    // Fills the area right of the main window (in pixels: see areaBeside).
    void Form_Load(std::function<QRect()> areaBesideMainWindow);
    void Form_Resize();
    // Centres Image1 by the window's outer size; in full screen, by the
    // area the window really got.
    void CenterPicture();

signals:
    // Keys the window takes while it has the focus.
    void nextPictureRequested();     // Space, →, PageDown
    void previousPictureRequested(); // 無変換, BackSpace, ←, PageUp, B
    void showAgainRequested();       // Enter

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    CaptionLabel* label_;
    PictureImage* image_;
};

#pragma once

#include <QAbstractButton>

// A button whose whole face is a picture drawn by the program, so it stays
// crisp at any scale: a transport symbol in magenta with a white outline
// on black, or a word in black on magenta.
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Face { Play, Stop, Next, FastForward, Rewind, Previous, Search, Cancel };

    PictureButton(Face face, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    void paintSymbol(QPainter& painter, const QRectF& area) const;
    void paintWord(QPainter& painter, const QRectF& area) const;

    Face face_;
};

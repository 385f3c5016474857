#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

class QLabel;

// frmSplash: the small "処理中" window shown while the Search button's
// search runs. No title bar, centred on the screen. Below its two texts it
// counts the rows found so far, at most ten times a second.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(std::function<long()> foundCount, QWidget* parent = nullptr);

private:
    QLabel* count_;
    QTimer countTimer_;
};

#pragma once

#include <QWidget>

// frmSplash: the small "処理中" window shown while the Search button's
// search runs. No title bar, centred on the screen.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);
};

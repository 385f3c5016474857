#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// frmAbout: the program's title and version.
class AboutWindow : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* parent = nullptr);

    QPushButton* cmdOK = nullptr;
    QLabel* picIcon = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblTitle = nullptr;

    // "Version 4.5.0" from the program's version numbers.
    static QString versionText();

public slots:
    void cmdOK_Click();
};

// The program's icon, drawn from its SVG source.
QIcon programIcon();

// Once the window has first been drawn, draws the program's icon at the
// usual window-icon sizes in a worker thread, then makes it every window's
// icon.
void setWindowIconAfterFirstPaint(QWidget* window);

#include "app/extras.h"

#include "app/application.h"
#include "app/mainwindow.h"
#include "list/listview.h"
#include "playback/transport.h"
#include "viewer/picturewindow.h"

#include <QActionGroup>
#include <QMenu>

using namespace settingskeys;

Extras::Extras(Application& app, QMenu& menu) : QObject(&app), app_(app)
{
    addEntries(menu);
    connect(&slides_, &QTimer::timeout, this, &Extras::showNextSlide);
    restore();
}

void Extras::addEntries(QMenu& menu)
{
    menu.addSeparator()->setObjectName(QStringLiteral("mnusp5"));
    shuffle_ = menu.addAction(QStringLiteral("ランダム再生"));
    shuffle_->setObjectName(QStringLiteral("mnuShuffle"));
    shuffle_->setCheckable(true);
    connect(shuffle_, &QAction::toggled, this, &Extras::setShuffle);

    QMenu* slideShow = menu.addMenu(QStringLiteral("スライドショー"));
    slideShow->menuAction()->setObjectName(QStringLiteral("mnuSlideShow"));
    slideIntervals_ = new QActionGroup(this);
    for (int seconds : {0, kSlideIntervals[0], kSlideIntervals[1], kSlideIntervals[2], kSlideIntervals[3]}) {
        QAction* choice = slideShow->addAction(seconds == 0 ? QStringLiteral("切") : QStringLiteral("%1 秒").arg(seconds));
        choice->setObjectName(QStringLiteral("mnuSlide%1").arg(seconds));
        choice->setCheckable(true);
        choice->setData(seconds);
        slideIntervals_->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, seconds] { chooseSlideInterval(seconds); });
    }

    hardwareDecoding_ = menu.addAction(QStringLiteral("ハードウェアデコード"));
    hardwareDecoding_->setObjectName(QStringLiteral("mnuHardwareDecoding"));
    hardwareDecoding_->setCheckable(true);
    connect(hardwareDecoding_, &QAction::toggled, this, &Extras::setHardwareDecoding);
}

void Extras::restore()
{
    SettingsStore& settings = app_.settings();
    shuffle_->setChecked(settings.getSetting(kApp, kExtras, kShuffle, QStringLiteral("0")) == QStringLiteral("1"));
    hardwareDecoding_->setChecked(settings.getSetting(kApp, kExtras, kHardwareDecoding, QStringLiteral("0")) ==
                                  QStringLiteral("1"));
    const int seconds = settings.getSetting(kApp, kExtras, kSlideShow, QStringLiteral("0")).toInt();
    slideSeconds_ = std::count(std::begin(kSlideIntervals), std::end(kSlideIntervals), seconds) ? seconds : 0;
    for (QAction* choice : slideIntervals_->actions())
        choice->setChecked(choice->data().toInt() == slideSeconds_);
}

void Extras::save(const QString& key, const QString& value)
{
    app_.settings().saveSetting(kApp, kExtras, key, value);
}

void Extras::setShuffle(bool on)
{
    app_.transport().setShuffle(on);
    save(kShuffle, on ? QStringLiteral("1") : QStringLiteral("0"));
}

void Extras::setHardwareDecoding(bool on)
{
    app_.transport().setHardwareDecoding(on);
    save(kHardwareDecoding, on ? QStringLiteral("1") : QStringLiteral("0"));
}

void Extras::chooseSlideInterval(int seconds)
{
    slideSeconds_ = seconds;
    save(kSlideShow, QString::number(seconds));
    slides_.stop();
    picturesShown();
}

void Extras::picturesShown()
{
    const PictureWindow* pictures = app_.loadedPictureWindow();
    if (slideSeconds_ > 0 && app_.mainWindow().isStillPictureMode() && pictures && pictures->isVisible())
        slides_.start(slideSeconds_ * 1000);
}

void Extras::userActed()
{
    slides_.stop();
}

void Extras::showNextSlide()
{
    const PictureWindow* pictures = app_.loadedPictureWindow();
    ListView& list = *app_.mainWindow().fileList;
    if (!app_.mainWindow().isStillPictureMode() || !pictures || !pictures->isVisible() || list.count() == 0) {
        slides_.stop();
        return;
    }
    // As Space does: the next row, wrapping, shown from the read-ahead.
    SelectNextRow(list);
    app_.ShowSelectedPicture();
}

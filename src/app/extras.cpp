#include "app/extras.h"

#include "app/application.h"
#include "mainwindow/mainwindow.h"
#include "list/listview.h"
#include "playback/mediaplayer.h"
#include "playback/videowindow.h"
#include "playback/transport.h"
#include "core/resumeplaces.h"
#include "viewer/picturewindow.h"

#include <QActionGroup>
#include <QMenu>

using namespace settingskeys;

namespace {

std::vector<ResumePlace> readResumePlaces(SettingsStore& settings)
{
    return resumeplaces::parse(settings.getSetting(kApp, kExtras, kResumePlaces, {}).toLatin1());
}

void writeResumePlaces(SettingsStore& settings, const std::vector<ResumePlace>& places)
{
    settings.saveSetting(kApp, kExtras, kResumePlaces, QString::fromLatin1(resumeplaces::format(places)));
}

} // namespace

Extras::Extras(Application& app, QMenu& menu) : QObject(&app), app_(app)
{
    addEntries(menu);
    connect(&slides_, &QTimer::timeout, this, &Extras::showNextSlide);
    resumeWrite_.setSingleShot(true);
    connect(&resumeWrite_, &QTimer::timeout, this, &Extras::writeResume);
    restore();
}

void Extras::addEntries(QMenu& menu)
{
    menu.addSeparator()->setObjectName(QStringLiteral("mnusp5"));
    shuffle_ = menu.addAction(QStringLiteral("ランダム再生"));
    shuffle_->setObjectName(QStringLiteral("mnuShuffle"));
    shuffle_->setCheckable(true);
    connect(shuffle_, &QAction::toggled, this, &Extras::setShuffle);
    resume_ = menu.addAction(QStringLiteral("続きから再生"));
    resume_->setObjectName(QStringLiteral("mnuResume"));
    resume_->setCheckable(true);
    connect(resume_, &QAction::toggled, this, &Extras::setResume);

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
    resume_->setChecked(settings.getSetting(kApp, kExtras, kResume, QStringLiteral("0")) == QStringLiteral("1"));
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

void Extras::setResume(bool on)
{
    save(kResume, on ? QStringLiteral("1") : QStringLiteral("0"));
    if (!on)
        resumeFolder_.clear();
}

Extras::Resume Extras::resumeFor(const QByteArray& searchedFolder)
{
    resumeFolder_ = resume_->isChecked() ? searchedFolder : QByteArray();
    if (resumeFolder_.isEmpty())
        return {};
    for (const ResumePlace& place : readResumePlaces(app_.settings())) {
        if (place.folder != searchedFolder)
            continue;
        const int row = app_.mainWindow().fileList->rowOf(place.file);
        return row > 0 ? Resume{row, place.position} : Resume{}; // the row is gone: row 1
    }
    return {};
}

void Extras::notePlaying(bool now)
{
    if (resumeFolder_.isEmpty())
        return;
    if (now || !sinceResumeWrite_.isValid() || sinceResumeWrite_.elapsed() >= 1000)
        writeResume();
    else if (!resumeWrite_.isActive())
        resumeWrite_.start(int(1000 - sinceResumeWrite_.elapsed()));
}

void Extras::writeResume()
{
    resumeWrite_.stop();
    VideoWindow* video = app_.transport().loadedVideoWindow();
    if (resumeFolder_.isEmpty() || !video || !video->player().hasClip())
        return;
    sinceResumeWrite_.start();
    MediaPlayer& player = video->player();
    // The folder moves to the front; past the last, the oldest is forgotten.
    std::vector<ResumePlace> places = {{resumeFolder_, player.fileName(), std::max(0.0, player.CurrentPosition())}};
    for (ResumePlace& other : readResumePlaces(app_.settings()))
        if (other.folder != resumeFolder_ && int(places.size()) < kResumeFolders)
            places.push_back(std::move(other));
    writeResumePlaces(app_.settings(), places);
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
    // A folder that matched the types has no picture to show for a whole
    // interval: it is passed over (once round at most).
    for (int tries = 0; tries < list.count(); ++tries) {
        SelectNextRow(list);
        const int row = list.selectedIndex();
        if (row == 0 || !list.rows().isFolder(row - 1))
            break;
    }
    app_.showSelectedRow();
}

#include "app/extras.h"

#include "app/application.h"
#include "playback/mediaplayer.h"
#include "playback/transport.h"
#include "playback/videowindow.h"

#include <QActionGroup>
#include <QMenu>

using namespace settingskeys;

namespace {

ResumeKeeper::Hooks resumeHooks(Application& app)
{
    SettingsStore& settings = app.settings();
    return {
        [&settings] { return resumeplaces::parse(settings.getSetting(kApp, kExtras, kResumePlaces, {}).toLatin1()); },
        [&settings](const std::vector<ResumePlace>& places) {
            settings.saveSetting(kApp, kExtras, kResumePlaces, QString::fromLatin1(resumeplaces::format(places)));
        },
        [&app]() -> std::optional<std::pair<QByteArray, double>> {
            VideoWindow* video = app.transport().loadedVideoWindow();
            if (!video || !video->player().hasClip())
                return std::nullopt;
            return std::pair(video->player().fileName(), video->player().CurrentPosition());
        },
    };
}

} // namespace

Extras::Extras(Application& app, QMenu& menu, Clock& clock)
    : QObject(&app), app_(app), slideShow_(app.playbackState(), clock, [&app] { app.showNextSlide(); }),
      resume_(app.playbackState(), clock, resumeHooks(app))
{
    addEntries(menu);
    restore();
}

void Extras::addEntries(QMenu& menu)
{
    menu.addSeparator()->setObjectName(QStringLiteral("mnusp5"));
    shuffle_ = menu.addAction(QStringLiteral("ランダム再生"));
    shuffle_->setObjectName(QStringLiteral("mnuShuffle"));
    shuffle_->setCheckable(true);
    connect(shuffle_, &QAction::toggled, this, &Extras::setShuffle);
    resumeEntry_ = menu.addAction(QStringLiteral("続きから再生"));
    resumeEntry_->setObjectName(QStringLiteral("mnuResume"));
    resumeEntry_->setCheckable(true);
    connect(resumeEntry_, &QAction::toggled, this, &Extras::setResume);

    QMenu* slideShow = menu.addMenu(QStringLiteral("スライドショー"));
    slideShow->menuAction()->setObjectName(QStringLiteral("mnuSlideShow"));
    slideIntervals_ = new QActionGroup(this);
    for (int seconds : {0, SlideShow::kIntervals[0], SlideShow::kIntervals[1], SlideShow::kIntervals[2],
                        SlideShow::kIntervals[3]}) {
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
    const auto on = [&settings](const QString& key) {
        return settings.getSetting(kApp, kExtras, key, QStringLiteral("0")) == QStringLiteral("1");
    };
    shuffle_->setChecked(on(kShuffle));
    resumeEntry_->setChecked(on(kResume));
    hardwareDecoding_->setChecked(on(kHardwareDecoding));
    slideShow_.setInterval(settings.getSetting(kApp, kExtras, kSlideShow, QStringLiteral("0")).toInt());
    for (QAction* choice : slideIntervals_->actions())
        choice->setChecked(choice->data().toInt() == slideShow_.interval());
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
    resume_.setEnabled(on);
    save(kResume, on ? QStringLiteral("1") : QStringLiteral("0"));
}

void Extras::setHardwareDecoding(bool on)
{
    app_.transport().setHardwareDecoding(on);
    save(kHardwareDecoding, on ? QStringLiteral("1") : QStringLiteral("0"));
}

void Extras::chooseSlideInterval(int seconds)
{
    slideShow_.setInterval(seconds);
    save(kSlideShow, QString::number(slideShow_.interval()));
}

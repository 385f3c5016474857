// What the program does and in which order, without a window: the play
// order, the slideshow's steps and the resume places, on a clock the test
// moves.
#include "core/playbackstate.h"
#include "core/resumekeeper.h"
#include "core/shuffleorder.h"
#include "core/slideshow.h"
#include "support/manualclock.h"

#include <QTest>
#include <random>
#include <set>

using testsupport::ManualClock;

namespace {

// A still picture shown, as a search in still-picture mode leaves it.
void showPicture(PlaybackState& state)
{
    state.setVideoMode(false);
    state.setPicture({"/p/a.jpg", false});
}

} // namespace

class CoreTest : public QObject {
    Q_OBJECT
private slots:
    void aShuffledOrderPlaysEveryRowOnceARound()
    {
        std::mt19937 generator(7);
        ShuffleOrder order([&generator](int n) { return std::uniform_int_distribution<int>(0, n - 1)(generator); });
        const int rows = 6;
        std::vector<int> played = {4}; // a row chosen by hand starts it
        for (int i = 0; i < 5 * rows - 1; ++i)
            played.push_back(order.next(played.back(), rows));
        for (int round = 0; round < 5; ++round) {
            const std::set<int> rowsOfRound(played.begin() + round * rows, played.begin() + (round + 1) * rows);
            QCOMPARE(int(rowsOfRound.size()), rows);
        }
        for (size_t i = 1; i < played.size(); ++i)
            QVERIFY(played[i] != played[i - 1]);
        // Back through the rows played, then forward over them again.
        QCOMPARE(order.previous(played.back()), played[played.size() - 2]);
        QCOMPARE(order.previous(played[played.size() - 2]), played[played.size() - 3]);
        QCOMPARE(order.next(played[played.size() - 3], rows), played[played.size() - 2]);
        // A row chosen by hand within a round starts a new one: the next
        // five are the other five rows. Before the first row, nothing.
        for (unsigned seed = 0; seed < 50; ++seed) {
            std::mt19937 seeded(seed);
            ShuffleOrder byHand([&seeded](int n) { return std::uniform_int_distribution<int>(0, n - 1)(seeded); });
            int row = byHand.next(1, rows);
            row = byHand.next(row, rows);
            const int picked = row % rows + 1;
            std::set<int> after;
            int last = picked;
            for (int i = 0; i < rows - 1; ++i)
                after.insert(last = byHand.next(last, rows));
            QVERIFY(!after.contains(picked));
            QCOMPARE(int(after.size()), rows - 1);
            for (int i = 0; i < rows - 1; ++i)
                last = byHand.previous(last);
            QCOMPARE(last, picked);
            QCOMPARE(byHand.previous(picked), 0);
        }
        // Another list: a new round from the row playing.
        const int first = order.next(2, 3);
        QVERIFY(first != 2 && first >= 1 && first <= 3);
    }

    void aSlideShowStepsEachIntervalWhilePicturesAreShown()
    {
        PlaybackState state;
        ManualClock clock;
        int steps = 0;
        SlideShow slides(state, clock, [&steps] { ++steps; });
        slides.setInterval(4); // not offered: off
        QCOMPARE(slides.interval(), 0);
        showPicture(state);
        slides.start();
        QVERIFY(!slides.running());

        slides.setInterval(3); // chosen while pictures show: runs from now
        clock.advance(2999);
        QCOMPARE(steps, 0);
        clock.advance(1);
        QCOMPARE(steps, 1);
        clock.advance(6000);
        QCOMPARE(steps, 3);
        clock.advance(1000);
        slides.setInterval(5); // the new interval counts from the choice
        clock.advance(4999);
        QCOMPARE(steps, 3);
        clock.advance(1);
        QCOMPARE(steps, 4);

        slides.stop(); // a key or a click
        clock.advance(60000);
        QCOMPARE(steps, 4);
        slides.start(); // the next still-picture search
        clock.advance(5000);
        QCOMPARE(steps, 5);

        // Video mode, or the picture window closed, ends it; nothing shown,
        // it does not start.
        state.setVideoMode(true);
        QVERIFY(!slides.running());
        showPicture(state);
        slides.start();
        state.setPicture({});
        QVERIFY(!slides.running());
        slides.start();
        clock.advance(60000);
        QCOMPARE(steps, 5);
    }

    void resumePlacesAreWrittenAtMostOnceASecond()
    {
        PlaybackState state;
        ManualClock clock;
        std::vector<ResumePlace> stored = {{"/old", "/old/x.mpg", 7}, {"/m", "/m/b.mpg", 42.5}};
        int writes = 0;
        std::optional<std::pair<QByteArray, double>> playing;
        ResumeKeeper keeper(state, clock, {[&] { return stored; },
                                    [&](const std::vector<ResumePlace>& places) { stored = places, ++writes; },
                                    [&] { return playing; }});
        // Off: nothing is given, nothing written.
        QVERIFY(!keeper.placeFor("/m"));
        playing = std::pair(QByteArray("/m/a.mpg"), 1.0);
        keeper.notePlaying(true);
        QCOMPARE(writes, 0);

        keeper.setEnabled(true);
        const std::optional<ResumePlace> place = keeper.placeFor("/m");
        QVERIFY(place);
        QCOMPARE(place->file, QByteArray("/m/b.mpg"));
        QCOMPARE(place->position, 42.5);
        // Each clip the state tells of is noted; a change of its status alone is not.
        const auto play = [&](const QByteArray& path, double position) {
            playing = std::pair(path, position);
            state.setClip({PlaybackState::Status::Playing, path, 0});
        };
        play("/m/a.mpg", 1.0);
        QCOMPARE(writes, 1);
        // Clips changing fast: one more write, a second after the last.
        clock.advance(300);
        play("/m/c.mpg", 2.0);
        state.setClip({PlaybackState::Status::Paused, "/m/c.mpg", 0});
        play("/m/d.mpg", -1.0);
        QCOMPARE(writes, 1);
        clock.advance(699);
        QCOMPARE(writes, 1);
        clock.advance(1);
        QCOMPARE(writes, 2);
        // The folder first, the others kept after it; no negative position.
        QCOMPARE(stored.size(), size_t(2));
        QCOMPARE(stored[0].file, QByteArray("/m/d.mpg"));
        QCOMPARE(stored[0].position, 0.0);
        QCOMPARE(stored[1].folder, QByteArray("/old"));
        // Leaving the folder or the program writes at once; no clip, no write.
        keeper.notePlaying(true);
        QCOMPARE(writes, 3);
        playing.reset();
        keeper.notePlaying(true);
        QCOMPARE(writes, 3);

        // At most the newest places are kept.
        stored.clear();
        for (int i = 0; i < resumeplaces::kMaxPlaces + 5; ++i)
            stored.push_back({"/f" + QByteArray::number(i), "/f/a.mpg", 1});
        playing = std::pair(QByteArray("/n/a.mpg"), 3.0);
        QVERIFY(!keeper.placeFor("/n"));
        keeper.notePlaying(true);
        QCOMPARE(int(stored.size()), resumeplaces::kMaxPlaces);
        QCOMPARE(stored.front().folder, QByteArray("/n"));
        QCOMPARE(stored.back().folder, "/f" + QByteArray::number(resumeplaces::kMaxPlaces - 2));
        // Turned off: the write due later is dropped.
        clock.advance(100);
        keeper.notePlaying();
        keeper.setEnabled(false);
        clock.advance(5000);
        QCOMPARE(writes, 4);
    }

    // Resume places keep any bytes of a name and the position to a tenth,
    // the newest first, within their share of the file.
    void resumePlacesRoundTripWithinTheirBound()
    {
        const std::vector<ResumePlace> places = {{"/a b|c%", "/a b|c%/x y.mpg", 12.3},
                                                 {"/\xff\xfe", "/\xff\xfe/\x8b\xc8.mp3", 0.9}};
        const std::vector<ResumePlace> back = resumeplaces::parse(resumeplaces::format(places));
        QCOMPARE(back.size(), size_t(2));
        for (size_t i = 0; i < back.size(); ++i) {
            QCOMPARE(back[i].folder, places[i].folder);
            QCOMPARE(back[i].file, places[i].file);
            QCOMPARE(back[i].position, places[i].position);
        }
        // Sixty long places: the newest ones that fit, in order.
        std::vector<ResumePlace> many;
        for (int i = 0; i < 60; ++i)
            many.push_back({"/" + QByteArray(6000, 'a' + i % 26) + QByteArray::number(i), "/f", double(i)});
        const QByteArray text = resumeplaces::format(many);
        QVERIFY(text.size() <= resumeplaces::kMaxBytes);
        const std::vector<ResumePlace> kept = resumeplaces::parse(text);
        QVERIFY(kept.size() >= 40 && kept.size() < 60);
        QCOMPARE(kept.back().position, double(kept.size() - 1));
        // Damaged entries are left out, not read as position 0.
        QCOMPARE(resumeplaces::parse("%2Fa|%2Fa%2Fb|x %2Fc|%2Fd|-1 %2Fe|%2Ff|nan %2Fg|%2Fh").size(), size_t(0));
    }
};

QTEST_GUILESS_MAIN(CoreTest)
#include "tst_core.moc"

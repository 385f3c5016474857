#pragma once

#include <QString>
#include <functional>

class QFont;
class QWidget;

// The one place that shows the program's message boxes: OK button only,
// no icon. Tests install an observer that records and answers them. Long
// lines (a path of any length) are shortened in the middle to fit the
// screen, and only the first lines of a long text are shown.
namespace messagebox {

inline const QString kProgramTitle = QStringLiteral("duvaVazorUzevaz");

// Modal: returns once the box is answered.
void show(QWidget* parent, const QString& text, const QString& caption = kProgramTitle);
// Shown without waiting for the answer, for what another program asked
// for: no nested event loop. While one such box is open, further ones
// are dropped, so a flood of requests leaves one box.
void notify(QWidget* parent, const QString& text, const QString& caption = kProgramTitle);

// While an observer is installed it is called instead of showing a box.
using Observer = std::function<void(const QString& text, const QString& caption)>;
void setObserver(Observer observer);

// The text as a box shows it: each line at most width pixels in that
// font's measure, at most maxLines lines.
QString fitted(const QString& text, const QFont& font, int width, int maxLines);

} // namespace messagebox

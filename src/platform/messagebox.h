#pragma once

#include <QString>
#include <functional>

class QWidget;

// The one place that shows the program's message boxes: OK button only,
// no icon, modal. Tests install an observer that records and answers them.
namespace messagebox {

inline const QString kProgramTitle = QStringLiteral("duvaVazorUzevaz");

void show(QWidget* parent, const QString& text, const QString& caption = kProgramTitle);

// While an observer is installed it is called instead of showing a box.
using Observer = std::function<void(const QString& text, const QString& caption)>;
void setObserver(Observer observer);

} // namespace messagebox

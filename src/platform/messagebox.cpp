#include "platform/messagebox.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <memory>

namespace messagebox {
namespace {

constexpr int kMaxLines = 12;

Observer& observer()
{
    static Observer instance;
    return instance;
}

// A box on the screen: the text fitted to half its width.
QMessageBox* makeBox(QWidget* parent, const QString& text, const QString& caption)
{
    auto* box = new QMessageBox(QMessageBox::NoIcon, caption, QString(), QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText); // a name may hold markup
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const int width = screen ? screen->availableGeometry().width() / 2 : 640;
    box->setText(fitted(text, box->font(), width, kMaxLines));
    return box;
}

} // namespace

QString fitted(const QString& text, const QFont& font, int width, int maxLines)
{
    QStringList lines = text.split(u'\n');
    if (lines.size() > maxLines) {
        lines.resize(maxLines - 1);
        lines << QStringLiteral("…");
    }
    const QFontMetrics metrics(font);
    for (QString& line : lines)
        line = metrics.elidedText(line, Qt::ElideMiddle, width);
    return lines.join(u'\n');
}

void show(QWidget* parent, const QString& text, const QString& caption)
{
    if (observer()) {
        observer()(text, caption);
        return;
    }
    std::unique_ptr<QMessageBox> box(makeBox(parent, text, caption));
    box->exec();
}

void notify(QWidget* parent, const QString& text, const QString& caption)
{
    static QPointer<QMessageBox> open;
    if (observer()) {
        observer()(text, caption);
        return;
    }
    if (open && open->isVisible())
        return; // answered boxes go at the next turn of the event loop
    open = makeBox(parent, text, caption);
    open->setAttribute(Qt::WA_DeleteOnClose);
    open->setWindowModality(Qt::NonModal);
    open->show();
}

void setObserver(Observer o)
{
    observer() = std::move(o);
}

} // namespace messagebox

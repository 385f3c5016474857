#include "platform/messagebox.h"

#include <QMessageBox>

namespace messagebox {
namespace {
Observer& observer()
{
    static Observer instance;
    return instance;
}
} // namespace

void show(QWidget* parent, const QString& text, const QString& caption)
{
    if (observer()) {
        observer()(text, caption);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

void setObserver(Observer o)
{
    observer() = std::move(o);
}

} // namespace messagebox

#pragma once

#include <QListWidget>
#include <QTimer>
#include <functional>
#include <map>
#include <vector>

// The folder list: the chain of folders from the volume's root down to
// the current folder, then the current folder's subfolders. A double
// click or Enter opens a folder, which makes it the current folder.
// Change() is raised synchronously inside every change of the path.
class DirList : public QListWidget {
    Q_OBJECT
public:
    // volumeOf names the volume (mount path) that holds a path.
    explicit DirList(std::function<QString(const QString&)> volumeOf, QWidget* parent = nullptr);

    // The current folder, without a final "/" except for the root.
    QString path() const;
    const QByteArray& nativePath() const { return path_; }

    // Moves to the folder; fails, leaving the list where it was, for a
    // path that does not exist or cannot be listed.
    bool setPath(const QString& path);
    bool setNativePath(const QByteArray& path);
    // The same for a folder just looked at on a thread, or opened and
    // listed by a walk, which needs no checking again.
    void enterCheckedFolder(const QByteArray& path);
    // Moves back to a folder shown before: refused only once it is known
    // to be gone, not while it is slow to answer (a busy machine, a slow mount).
    bool returnTo(const QByteArray& path);
    // Moves to the volume's current folder: the last folder this list
    // showed on it in this run, else its root.
    bool moveToDrive(const QString& mountPath);

    // Rebuilds the shown folders now instead of at the next refresh (the
    // subfolders follow once read).
    void refreshNow();

signals:
    void Change();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void moveTo(const QByteArray& normalizedPath);
    // The folders shown: the chain down to the current folder at once, its
    // subfolders when read on a thread of their own (a large folder, or a
    // mount that does not answer, never holds the window).
    void rebuild();
    void showChain();
    void showSubfolders(const std::vector<QByteArray>& names);

    std::function<QString(const QString&)> volumeOf_;
    QByteArray path_;
    std::map<QString, QByteArray> currentByVolume_;
    QTimer refreshTimer_;
    quint64 rebuilds_ = 0;
    int chainLength_ = 0;
};

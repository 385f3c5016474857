#pragma once

#include "help/helpfile.h"

#include <QWidget>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;

// The program's help viewer: a topics finder with contents, a keyword
// index and full-text search, beside a pane that shows the chosen topic.
// It only ever reads the help file: no scripts, nothing from the network.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);

    // Opens the file on its contents page; a file that cannot be read
    // leaves a notice in the viewer.
    void openFinder(const QString& path);

    QTabWidget* tabs() const { return tabs_; }
    QListWidget* contents() const { return contents_; }
    QListWidget* index() const { return index_; }
    QListWidget* results() const { return results_; }
    QLineEdit* indexQuery() const { return indexQuery_; }
    QLineEdit* searchQuery() const { return searchQuery_; }
    QTextBrowser* page() const { return page_; }

private:
    void showTopic(int topic);
    void fillIndex();
    void runSearch();

    std::vector<HelpTopic> topics_;
    QTabWidget* tabs_;
    QListWidget* contents_;
    QLineEdit* indexQuery_;
    QListWidget* index_;
    QLineEdit* searchQuery_;
    QListWidget* results_;
    QTextBrowser* page_;
};

#include "help/helpviewer.h"

#include "help/aboutwindow.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

constexpr int kTopicRole = Qt::UserRole;
const QString kTitle = QStringLiteral("duvaVazorUzevaz ヘルプ");

QListWidgetItem* addTopicItem(QListWidget* list, const QString& text, int topic)
{
    auto* item = new QListWidgetItem(text, list);
    item->setData(kTopicRole, topic);
    return item;
}

QWidget* queryPage(QLineEdit* query, QListWidget* list)
{
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->addWidget(query);
    column->addWidget(list, 1);
    return page;
}

} // namespace

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kTitle);
    setWindowIcon(programIcon());
    resize(760, 520);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = frameGeometry();
        area.moveCenter(screen->availableGeometry().center());
        move(area.topLeft());
    }

    tabs_ = new QTabWidget;
    contents_ = new QListWidget;
    indexQuery_ = new QLineEdit;
    indexQuery_->setPlaceholderText(QStringLiteral("キーワードを入力"));
    index_ = new QListWidget;
    searchQuery_ = new QLineEdit;
    searchQuery_->setPlaceholderText(QStringLiteral("検索する語を入力して Enter"));
    results_ = new QListWidget;
    tabs_->addTab(contents_, QStringLiteral("目次"));
    tabs_->addTab(queryPage(indexQuery_, index_), QStringLiteral("キーワード"));
    tabs_->addTab(queryPage(searchQuery_, results_), QStringLiteral("検索"));

    page_ = new QTextBrowser;
    page_->setOpenLinks(false);
    page_->setOpenExternalLinks(false);
    page_->setSearchPaths({});

    auto* splitter = new QSplitter;
    splitter->addWidget(tabs_);
    splitter->addWidget(page_);
    splitter->setStretchFactor(1, 2);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(splitter);

    for (QListWidget* list : {contents_, index_, results_}) {
        connect(list, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
            if (item)
                showTopic(item->data(kTopicRole).toInt());
        });
    }
    connect(indexQuery_, &QLineEdit::textChanged, this, &HelpViewer::fillIndex);
    connect(indexQuery_, &QLineEdit::returnPressed, this, [this] {
        if (index_->count() > 0)
            index_->setCurrentRow(0);
    });
    connect(searchQuery_, &QLineEdit::returnPressed, this, &HelpViewer::runSearch);
}

void HelpViewer::openFinder(const QString& path)
{
    const auto loaded = helpfile::load(path);
    topics_ = loaded.value_or(std::vector<HelpTopic>{});
    contents_->clear();
    results_->clear();
    for (int i = 0; i < int(topics_.size()); ++i)
        addTopicItem(contents_, topics_[i].title, i);
    fillIndex();
    tabs_->setCurrentIndex(0);
    if (!loaded) {
        setWindowTitle(kTitle);
        page_->setPlainText(QStringLiteral("ヘルプファイル %1 を開けません。").arg(QFileInfo(path).fileName()));
        return;
    }
    contents_->setCurrentRow(0);
}

void HelpViewer::showTopic(int topic)
{
    if (topic < 0 || topic >= int(topics_.size()))
        return;
    page_->setMarkdown(QStringLiteral("# ") + topics_[topic].title + QStringLiteral("\n\n") + topics_[topic].body);
    setWindowTitle(kTitle + QStringLiteral(" — ") + topics_[topic].title);
}

void HelpViewer::fillIndex()
{
    index_->clear();
    const QString query = indexQuery_->text().trimmed();
    std::vector<std::pair<QString, int>> entries;
    for (int i = 0; i < int(topics_.size()); ++i) {
        for (const QString& keyword : topics_[i].keywords) {
            if (keyword.contains(query, Qt::CaseInsensitive))
                entries.emplace_back(keyword, i);
        }
    }
    std::sort(entries.begin(), entries.end());
    for (const auto& [keyword, topic] : entries)
        addTopicItem(index_, keyword + QStringLiteral(" — ") + topics_[topic].title, topic);
}

void HelpViewer::runSearch()
{
    results_->clear();
    for (int topic : helpfile::search(topics_, searchQuery_->text()))
        addTopicItem(results_, topics_[topic].title, topic);
    if (results_->count() > 0)
        results_->setCurrentRow(0);
}

#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The help file ruzedir.hlp: UTF-8 text holding topics. Each topic starts
// with a line "@topic <id>", followed by "@title <title>" and
// "@keywords <keyword>, <keyword>…" lines, then its body in Markdown.
struct HelpTopic {
    QString id;
    QString title;
    QStringList keywords;
    QString body;
};

namespace helpfile {

// The help file named, looked up in the program's folder, then where an
// installation keeps it beside that folder (../share/duvavazoruzevaz).
QString resolve(const QString& programFolder, const QString& name);

std::vector<HelpTopic> parse(const QString& text);
// Nothing when the file cannot be read or holds no topic.
std::optional<std::vector<HelpTopic>> load(const QString& path);

// Topics whose title, keywords or body contain every word of the query
// (case-insensitive), in file order.
std::vector<int> search(const std::vector<HelpTopic>& topics, const QString& query);

} // namespace helpfile

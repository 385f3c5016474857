#include "help/helpfile.h"

#include <QDir>
#include <QFile>

namespace helpfile {

QString resolve(const QString& programFolder, const QString& name)
{
    const QString beside = programFolder + u'/' + name;
    const QString installed = programFolder + QStringLiteral("/../share/duvavazoruzevaz/") + name;
    return QFile::exists(beside) || !QFile::exists(installed) ? beside : QDir::cleanPath(installed);
}

std::vector<HelpTopic> parse(const QString& text)
{
    std::vector<HelpTopic> topics;
    for (const QString& line : text.split(u'\n')) {
        if (line.startsWith(QLatin1String("@topic "))) {
            topics.push_back({line.mid(7).trimmed(), {}, {}, {}});
        } else if (topics.empty()) {
            continue;
        } else if (line.startsWith(QLatin1String("@title "))) {
            topics.back().title = line.mid(7).trimmed();
        } else if (line.startsWith(QLatin1String("@keywords "))) {
            for (const QString& keyword : line.mid(10).split(u','))
                if (!keyword.trimmed().isEmpty())
                    topics.back().keywords << keyword.trimmed();
        } else {
            topics.back().body += line + u'\n';
        }
    }
    return topics;
}

std::optional<std::vector<HelpTopic>> load(const QString& path)
{
    QFile file(path);
    if (file.size() > 16 * 1024 * 1024 || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::vector<HelpTopic> topics = parse(QString::fromUtf8(file.readAll()));
    if (topics.empty())
        return std::nullopt;
    return topics;
}

std::vector<int> search(const std::vector<HelpTopic>& topics, const QString& query)
{
    const QStringList words = query.split(u' ', Qt::SkipEmptyParts);
    std::vector<int> found;
    if (words.isEmpty())
        return found;
    for (int i = 0; i < int(topics.size()); ++i) {
        const HelpTopic& t = topics[i];
        const QString haystack = t.title + u'\n' + t.keywords.join(u'\n') + u'\n' + t.body;
        const bool all = std::all_of(words.begin(), words.end(), [&](const QString& w) {
            return haystack.contains(w, Qt::CaseInsensitive);
        });
        if (all)
            found.push_back(i);
    }
    return found;
}

} // namespace helpfile

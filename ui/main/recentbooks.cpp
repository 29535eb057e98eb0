#include "ui/main/recentbooks.h"

#include "ui/main/quizsettings.h"

#include <QFileInfo>

namespace recentbooks {
namespace {

QString absolute(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

QStringList added(QStringList list, const QString &path)
{
    const QString entry = absolute(path);
    list.removeAll(entry);
    list.prepend(entry);
    while (list.size() > limit)
        list.removeLast();
    return list;
}

QStringList load()
{
    return QuizSettings::recentbooks();
}

void save(const QStringList &list)
{
    QuizSettings::setrecentbooks(list);
}

void add(const QString &path)
{
    save(added(load(), path));
}

void remove(const QString &path)
{
    QStringList list = load();
    if (list.removeAll(absolute(path)) > 0)
        save(list);
}

void clear()
{
    save({});
}

} // namespace recentbooks

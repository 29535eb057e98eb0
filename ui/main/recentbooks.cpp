#include "ui/main/recentbooks.h"

#include "platform/settings.h"

#include <QFileInfo>

namespace recentbooks {
namespace {

const QString application = QStringLiteral("Tarvel");
const QString section = QStringLiteral("Recent Books");

QString slotkey(int slot)
{
    return QStringLiteral("book%1").arg(slot + 1);
}

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
    QStringList list;
    for (int slot = 0; slot < limit; ++slot) {
        const QString path = platform::readsetting(application, section, slotkey(slot), QString());
        // A hand-edited store may hold gaps or the same book twice.
        if (!path.isEmpty() && !list.contains(path))
            list.append(path);
    }
    return list;
}

void save(const QStringList &list)
{
    // Every slot is written, so that a shorter list leaves no stale entry behind.
    for (int slot = 0; slot < limit; ++slot)
        platform::writesetting(application, section, slotkey(slot),
                               slot < list.size() ? list.at(slot) : QString());
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

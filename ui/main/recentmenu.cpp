#include "ui/main/recentmenu.h"

#include "platform/files.h"
#include "ui/main/recentbooks.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

RecentMenu::RecentMenu(QMenu *menu, QAction *before) : QObject(menu)
{
    mnurecent = new QMenu(QStringLiteral("Recent &Books"), menu);
    mnurecent->setObjectName(QStringLiteral("mnurecent"));
    mnurecent->setToolTipsVisible(true);
    menu->insertMenu(before, mnurecent);
    mnurecentclear = mnurecent->addAction(QStringLiteral("&Clear Recent"));
    mnurecentclear->setObjectName(QStringLiteral("mnurecentclear"));
    connect(mnurecentclear, &QAction::triggered, this, [this] {
        recentbooks::clear();
        fill();
    });
    connect(mnurecent, &QMenu::aboutToShow, this, &RecentMenu::fill);
    fill();
}

void RecentMenu::fill()
{
    // The item being chosen may be the one asking for the refill: old items go once it returns.
    for (QAction *old : mnurecent->actions()) {
        if (old == mnurecentclear)
            continue;
        mnurecent->removeAction(old);
        old->deleteLater();
    }
    const QStringList books = recentbooks::load();
    for (qsizetype i = 0; i < books.size(); ++i) {
        const QString path = books.at(i);
        const QFileInfo file(path);
        // Numbers as access keys never clash with Clear Recent, whatever the names are.
        QString caption = file.fileName();
        caption.replace(QLatin1Char('&'), QLatin1String("&&"));
        auto *item = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(caption), mnurecent);
        item->setObjectName(QStringLiteral("mnurecentbook%1").arg(i + 1));
        const QString folder = QDir::toNativeSeparators(file.absolutePath());
        item->setStatusTip(folder);
        item->setToolTip(folder);
        mnurecent->insertAction(mnurecentclear, item);
        connect(item, &QAction::triggered, this, [this, path] { emit chosen(path); });
    }
    mnurecentclear->setEnabled(!books.isEmpty());
}

void RecentMenu::remember(const QString &path)
{
    recentbooks::add(path);
    fill();
}

void RecentMenu::forgetmissing(const QString &path)
{
    if (!platform::normalfileexists(path))
        recentbooks::remove(path);
}

QString RecentMenu::droppedbook(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return {};
    const QString path = urls.first().toLocalFile();
    if (!path.endsWith(QLatin1String(".Q"), Qt::CaseInsensitive))
        return {};
    return path;
}

bool RecentMenu::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (droppedbook(drag->mimeData()).isEmpty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QString path = droppedbook(drop->mimeData());
        if (path.isEmpty())
            return false;
        drop->acceptProposedAction();
        // The file manager waits for the drop to finish: the book opens, with any message it
        // brings, once the drop is over.
        QMetaObject::invokeMethod(
            this, [this, path] { emit chosen(path); }, Qt::QueuedConnection);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

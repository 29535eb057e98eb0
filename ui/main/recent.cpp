// Recent Books and books dropped on the window: both run a book as naming it on the command
// line does.
#include "ui/main/frmquiz.h"

#include "platform/files.h"
#include "ui/main/edit/editpanel.h"
#include "ui/main/recentbooks.h"
#include "ui/main/run/runpanel.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

void frmquiz::fillrecentmenu()
{
    // The item being chosen may be the one asking for the refill: old items go once it returns.
    for (QAction *old : mnurecent->actions()) {
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
        QAction *item = mnurecent->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(caption));
        item->setObjectName(QStringLiteral("mnurecentbook%1").arg(i + 1));
        const QString folder = QDir::toNativeSeparators(file.absolutePath());
        item->setStatusTip(folder);
        item->setToolTip(folder);
        connect(item, &QAction::triggered, this, [this, path] { mnurecentbook_Click(path); });
    }
    mnurecentclear = mnurecent->addAction(QStringLiteral("&Clear Recent"));
    mnurecentclear->setObjectName(QStringLiteral("mnurecentclear"));
    mnurecentclear->setEnabled(!books.isEmpty());
    connect(mnurecentclear, &QAction::triggered, this, &frmquiz::mnurecentclear_Click);
}

void frmquiz::mnurecentbook_Click(const QString &path)
{
    if (!platform::normalfileexists(path))
        recentbooks::remove(path);
    (void)openbook(path, /*editing=*/false);
    fillrecentmenu();
}

void frmquiz::mnurecentclear_Click()
{
    recentbooks::clear();
    fillrecentmenu();
}

void frmquiz::rememberbook()
{
    recentbooks::add(modquiz::state().qbpath);
    fillrecentmenu();
}

QString frmquiz::droppedbook(const QMimeData *data)
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

void frmquiz::Form_DragDrop(const QMimeData *data)
{
    const QString path = droppedbook(data);
    if (!path.isEmpty())
        mnurecentbook_Click(path);
}

void frmquiz::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedbook(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frmquiz::dropEvent(QDropEvent *event)
{
    const QString path = droppedbook(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // The file manager waits for the drop to finish: the book opens, with any message it
    // brings, once the drop is over.
    QMetaObject::invokeMethod(
        this, [this, path] { mnurecentbook_Click(path); }, Qt::QueuedConnection);
}

bool frmquiz::bookdrop(QObject *watched, QEvent *event)
{
    if (watched == this)
        return false;
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
        if (droppedbook(drop->mimeData()).isEmpty())
            return false;
        dropEvent(drop);
        return true;
    }
    default:
        return false;
    }
}

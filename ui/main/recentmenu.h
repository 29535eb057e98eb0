#pragma once

#include <QObject>
#include <QString>

class QAction;
class QMenu;
class QMimeData;

// The Recent Books submenu and the books dropped on the window or an edit box: both choose a
// book to run as naming it on the command line does.
class RecentMenu final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecentMenu)

public:
    // Puts the submenu into menu before the item before.
    RecentMenu(QMenu *menu, QAction *before);

    // Rebuilds the submenu from the settings store.
    void fill();
    // Puts path first in the list.
    void remember(const QString &path);
    // A book that no longer exists leaves the list.
    static void forgetmissing(const QString &path);
    // The one .Q file a drag carries, or an empty text when it carries anything else.
    [[nodiscard]] static QString droppedbook(const QMimeData *data);

signals:
    // An item was chosen, or a book dropped on a watched object.
    void chosen(const QString &path);

protected:
    // Watched objects take drops of a book; text still drops into an edit box.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QMenu *mnurecent;
    QAction *mnurecentclear;
};

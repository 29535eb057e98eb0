#include "ui/dialogs/folderlists.h"

#include "platform/folders.h"
#include "platform/msgbox.h"
#include "ui/dialogs/dialogsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QStyle>

#include <algorithm>

namespace dialogs {
namespace {

constexpr int folderrole = Qt::UserRole;

QString indent(int depth)
{
    return QString(depth * 2, QLatin1Char(' '));
}

// The folder and each folder above it, the root first.
QStringList chainof(const QString &folder)
{
    QStringList chain;
    QDir dir(folder);
    chain.prepend(dir.absolutePath());
    while (dir.cdUp())
        chain.prepend(dir.absolutePath());
    return chain;
}

QString displayname(const QString &folder)
{
    const QString name = QFileInfo(folder).fileName();
    return name.isEmpty() ? QDir::toNativeSeparators(folder) : name;
}

} // namespace

bool readablefolder(const QString &folder)
{
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir() || !info.isReadable() || !info.isExecutable())
        return false;
    // Every folder that can be listed holds "." and "..": an empty listing is a refusal that
    // the permission bits did not show.
    return !QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System).isEmpty();
}

DriveList::DriveList(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    connect(this, &QComboBox::activated, this, &DriveList::chosen);
}

void DriveList::showdriveof(const QString &folder)
{
    const QSignalBlocker blocker(this);
    clear();
    addItems(platform::drives());
    const QString drive = platform::driveof(folder);
    int index = findText(drive);
    if (index < 0) {
        addItem(drive);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

QString DriveList::drive() const
{
    return currentText();
}

FolderList::FolderList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { openrow(row(item)); });
}

bool FolderList::setpath(const QString &folder)
{
    if (!readablefolder(folder))
        return false;
    // The canonical form is what the process reports as its current folder.
    const QString absolute = QFileInfo(folder).canonicalFilePath();
    const QStringList chain = chainof(absolute);
    const QStringList subfolders = QDir(absolute).entryList(
        QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);

    QSignalBlocker blocker(this);
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (int depth = 0; depth < chain.size(); ++depth) {
        auto *item = new QListWidgetItem(open, indent(depth) + displayname(chain[depth]), this);
        item->setData(folderrole, chain[depth]);
    }
    const int opened = count() - 1;
    for (const QString &name : subfolders) {
        auto *item = new QListWidgetItem(closed, indent(chain.size()) + name, this);
        item->setData(folderrole, QDir(absolute).filePath(name));
    }
    setCurrentRow(opened);
    blocker.unblock();

    const bool moved = absolute != m_path;
    m_path = absolute;
    if (moved)
        emit changed();
    return true;
}

QString FolderList::folderat(int row) const
{
    const QListWidgetItem *entry = item(row);
    return entry ? entry->data(folderrole).toString() : QString();
}

int FolderList::rowof(const QString &folder) const
{
    const QString absolute = QFileInfo(folder).canonicalFilePath();
    for (int row = 0; row < count(); ++row) {
        if (folderat(row) == absolute)
            return row;
    }
    return -1;
}

void FolderList::openrow(int row)
{
    const QString folder = folderat(row);
    if (folder.isEmpty())
        return;
    if (!setpath(folder))
        platform::msgbox(unreadablefolder(folder));
}

void FolderList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openrow(currentRow());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

BookList::BookList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void BookList::setfolder(const QString &folder)
{
    const QSignalBlocker blocker(this);
    clear();
    QDir dir(folder);
    dir.setNameFilters({QStringLiteral("*.q")});
    // Name filters ignore letter case unless told otherwise, so "*.q" finds ".Q" books too.
    QStringList names =
        dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    // Only what leads to a regular file: a link to a pipe or a device cannot be opened.
    names.removeIf([&dir](const QString &name) { return !QFileInfo(dir.filePath(name)).isFile(); });
    addItems(names);
}

QString BookList::selectedname() const
{
    const QList<QListWidgetItem *> chosen = selectedItems();
    return chosen.isEmpty() ? QString() : chosen.first()->text();
}

bool BookList::selectname(const QString &name)
{
    const QList<QListWidgetItem *> found = findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    setCurrentItem(found.first());
    found.first()->setSelected(true);
    return true;
}

void BookList::focusInEvent(QFocusEvent *event)
{
    QListWidget::focusInEvent(event);
    // Reached from the keyboard with no file chosen, the list chooses its current file (the
    // first one) as a click would, so that the arrows, Enter and the preview work at once. A
    // click chooses its own file.
    const Qt::FocusReason reason = event->reason();
    const bool bykeyboard = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                            reason == Qt::ShortcutFocusReason || reason == Qt::OtherFocusReason;
    if (!bykeyboard || count() == 0 || !selectedItems().isEmpty())
        return;
    setCurrentRow(std::max(currentRow(), 0), QItemSelectionModel::ClearAndSelect);
}

void choosedrive(DriveList *drives, FolderList *folders)
{
    const QString drive = drives->drive();
    if (!folders->setpath(platform::drivefolder(drive))) {
        platform::msgbox(unreadabledrive(drive));
        drives->showdriveof(folders->path());
        return;
    }
    // The folder change has made the folder current unless it reported that it could not.
    if (platform::currentfolder() != folders->path() || !platform::setcurrentdrive(drive))
        drives->showdriveof(platform::currentfolder());
}

bool enterfolder(DriveList *drives, FolderList *folders)
{
    const QString folder = folders->path();
    if (!platform::setcurrentfolder(folder)) {
        platform::msgbox(unreadablefolder(folder));
        // Back to the folder that is current, which was readable a moment ago.
        folders->setpath(platform::currentfolder());
        return false;
    }
    drives->showdriveof(folder);
    return true;
}

} // namespace dialogs

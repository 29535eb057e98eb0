#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QString>

// The drive, folder and file lists that the picker and the New Quiz dialog share. Each fills
// itself at once from the file system, so what a user sees is there as soon as the call
// returns.
namespace dialogs {

// The mounted volumes, the root first. Choosing one raises chosen(); the dialog decides what
// follows.
class DriveList final : public QComboBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DriveList)

public:
    explicit DriveList(QWidget *parent = nullptr);

    // Refills the list and selects the drive that holds folder.
    void showdriveof(const QString &folder);
    [[nodiscard]] QString drive() const;

signals:
    void chosen();
};

// The open folder with its ancestors above it and its subfolders below it. A double click or
// Enter opens a folder; a single click only highlights it.
class FolderList final : public QListWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FolderList)

public:
    explicit FolderList(QWidget *parent = nullptr);

    [[nodiscard]] QString path() const { return m_path; }
    // Shows folder; false, and nothing changes, when it cannot be listed. Raises changed()
    // when the open folder is a different one afterwards.
    bool setpath(const QString &folder);
    // The folder an entry stands for.
    [[nodiscard]] QString folderat(int row) const;
    // The row of folder, or -1.
    [[nodiscard]] int rowof(const QString &folder) const;
    // What a double click or Enter on a row does; a folder that cannot be listed is reported.
    void openrow(int row);

signals:
    void changed();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString m_path;
};

// The quiz books of one folder: the files whose names end in ".q" in any letter case,
// hidden files left out.
class BookList final : public QListWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BookList)

public:
    explicit BookList(QWidget *parent = nullptr);

    void setfolder(const QString &folder);
    // The selected file's name, or empty.
    [[nodiscard]] QString selectedname() const;
    // Selects a file by name; false when the list does not hold it.
    bool selectname(const QString &name);

protected:
    void focusInEvent(QFocusEvent *event) override;
};

// A folder the program can enter and list.
[[nodiscard]] bool readablefolder(const QString &folder);

// A drive chosen in drives: folders opens the folder last used on it, which becomes current.
// A drive that cannot be read is reported and drives goes back to the open folder's drive.
void choosedrive(DriveList *drives, FolderList *folders);

// A folder opened in folders becomes the current folder and drives shows its drive; true.
// A folder that cannot be entered is reported and folders goes back to the current folder.
bool enterfolder(DriveList *drives, FolderList *folders);

} // namespace dialogs

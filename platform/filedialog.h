#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Asking the user for a file to open or a name to save under. Every such question goes
// through here, so that tests can script each one.
namespace platform {

enum class FileMode { Open, Save };

struct FileRequest
{
    FileMode mode = FileMode::Open;
    QString title;
    // The folder shown, or a file in it that the dialog proposes.
    QString start;
    // Name filters such as "Quiz books (*.Q)"; the first is chosen unless selectedfilter is.
    QStringList filters;
    QString selectedfilter;
};

// An empty path means the user cancelled. filter is the name filter chosen when the dialog
// closed.
struct FileChoice
{
    QString path;
    QString filter;
};

// Shows the desktop's standard file dialog. Open accepts an existing file only; Save does
// not ask about an existing file: the caller asks, after it has completed the name.
[[nodiscard]] FileChoice askfile(const FileRequest &request);

// Replaces every file dialog.
using FileDialogHandler = std::function<FileChoice(const FileRequest &)>;
void setfiledialoghandler(FileDialogHandler handler);

} // namespace platform

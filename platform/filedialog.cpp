#include "platform/filedialog.h"

#include <QApplication>
#include <QFileDialog>

namespace platform {
namespace {

FileDialogHandler &handler()
{
    static FileDialogHandler current;
    return current;
}

// Without a display the dialog would wait for ever; a test that forgot its script must fail
// at once instead.
bool headless()
{
    const QString name = QGuiApplication::platformName();
    return name == QLatin1String("offscreen") || name == QLatin1String("minimal");
}

} // namespace

FileChoice askfile(const FileRequest &request)
{
    if (handler())
        return handler()(request);
    if (headless())
        qFatal("Unexpected file dialog without a display: \"%s\"", qPrintable(request.title));

    const bool opening = request.mode == FileMode::Open;
    QFileDialog dialog(QApplication::activeWindow(), request.title);
    dialog.setAcceptMode(opening ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(opening ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(request.filters);
    if (!request.selectedfilter.isEmpty())
        dialog.selectNameFilter(request.selectedfilter);
    if (!request.start.isEmpty()) {
        const QFileInfo start(request.start);
        if (start.isDir()) {
            dialog.setDirectory(start.absoluteFilePath());
        } else {
            dialog.setDirectory(start.absolutePath());
            dialog.selectFile(start.fileName());
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {dialog.selectedFiles().constFirst(), dialog.selectedNameFilter()};
}

void setfiledialoghandler(FileDialogHandler handler)
{
    platform::handler() = std::move(handler);
}

} // namespace platform

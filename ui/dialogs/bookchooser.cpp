#include "ui/dialogs/bookchooser.h"

#include "platform/files.h"
#include "platform/msgbox.h"
#include "ui/dialogs/bookwindow.h"
#include "ui/dialogs/frmeditquiz.h"

#include <QFileInfo>

namespace {

// Takes the picker's choice without touching the open book or the panels.
class Chooser final : public BookWindow
{
public:
    bool openbook(const QString &path, bool /*editing*/, Opener /*by*/) override
    {
        if (!platform::normalfileexists(path)) {
            platform::msgbox(QStringLiteral("File not found"));
            return false;
        }
        QString why;
        std::optional<modquiz::BookFile> file = modquiz::readbookfile(path, &why);
        if (!file || file->header.magic != QLatin1String(qbook::magicmark)) {
            platform::msgbox(file ? QStringLiteral("Error : Invalid file type")
                                  : QStringLiteral("Error: cannot read file"));
            return false;
        }
        // The picker names the book relative to the folder it shows.
        chosen = ChosenBook{QFileInfo(path).absoluteFilePath(), std::move(*file)};
        return true;
    }
    bool closebooks() override { return true; }
    void entereditpanel(qint16 /*count*/) override {}

    std::optional<ChosenBook> chosen;
};

} // namespace

std::optional<ChosenBook> choosebook(QWidget *parent)
{
    Chooser chooser;
    {
        frmeditquiz picker(&chooser, parent);
        picker.setopenmode();
        platform::showmodal(&picker);
    }
    return std::move(chooser.chosen);
}

#pragma once

#include "ui/dialogs/bookwindow.h"

#include <QPointer>
#include <QString>

#include <optional>

class EditPanel;
class FrameSize;
class QWidget;
class RecentMenu;
class RunOptions;
class RunPanel;
class frmeditquiz;

// The one way a book is opened for running or editing (the command line, the picker, Recent
// Books, a dropped file and Import): the file is checked first, then what is open is closed,
// then the book is loaded and handed to the panel that takes it. The dialogs reach the main
// window's books through it.
class BookOpener final : public BookWindow
{
public:
    // The parts of the main window an opening changes. editstarted is the window's record that
    // the edit panel was entered this session.
    struct Parts
    {
        QWidget *window;
        RunPanel *run;
        EditPanel *edit;
        FrameSize *size;
        RunOptions *options;
        RecentMenu *recent;
        bool &editstarted;
    };
    explicit BookOpener(const Parts &parts) : m(parts) {}
    ~BookOpener();
    Q_DISABLE_COPY_MOVE(BookOpener)

    // A file that is missing, unreadable or no quiz book is refused with the command line's
    // message and leaves whatever is open as it is; only a book closes what is open (the save
    // prompt first), and is then loaded and shown. True when it shows. The picker keeps its own
    // checks, messages and order of closing.
    bool openbook(const QString &path, bool editing, Opener by) override;
    [[nodiscard]] bool closebooks() override;
    void entereditpanel(qint16 count) override;
    // Loads the book opened as the working book and hands it to the panel that takes it: the
    // edit panel at question 1 when the picker is in Edit mode, else the run. False when it
    // could not be read.
    [[nodiscard]] bool loadbook();
    // What every command that opens another book does first: the save prompt for unsaved
    // changes, then the edit panel's Close. False when the user kept the book open.
    [[nodiscard]] bool readyforbook();

    // The picker: created hidden in Edit mode when first needed, discarded when it closes.
    frmeditquiz *picker();
    // Shows the picker modally and discards it afterwards.
    void showpicker();

    // Whether the program was started with a command line naming a book.
    void setcommandline(bool on) { m_commandline = on; }
    [[nodiscard]] bool commandline() const { return m_commandline; }

private:
    // Why the file at path cannot be opened as a book; nothing when it can.
    [[nodiscard]] static std::optional<QString> refusal(const QString &path, bool editing,
                                                        Opener by);
    // Opens and loads qbpath, then hands it to the edit panel or the run panel.
    [[nodiscard]] bool loadfor(bool editing, Opener by);
    // The picker's mode; with no picker built, its design mode, Edit. Reading it never builds
    // a window or lists a folder.
    [[nodiscard]] bool pickerineditmode() const;

    Parts m;
    QPointer<frmeditquiz> m_picker;
    bool m_commandline = false;
};

#include "ui/main/edit/editpanel.h"

#include "platform/ansi.h"
#include "platform/fonts.h"
#include "platform/twips.h"
#include "storage/modquiz.h"
#include "storage/qbook.h"

#include <QAction>
#include <QFrame>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTextCursor>

#include <algorithm>
#include <vector>

namespace {

// The first characters of text that take at most room bytes in the file's code page; a
// surrogate pair is never split.
QString fitbytes(const QString &text, qsizetype room)
{
    if (room <= 0)
        return {};
    qsizetype bytes = 0;
    qsizetype i = 0;
    while (i < text.size() && bytes < room) {
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        i += pair ? 2 : 1;
        ++bytes;
    }
    return text.left(i);
}

// The question box. A counted text holds at most 32,767 bytes, and a plain-text edit has no
// maximum length of its own: every way of putting text in (typing, pasting, dropping, an
// input method) is cut to what still fits.
class QuestionBox final : public QPlainTextEdit
{
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const QString typed = event->text();
        const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
        if (printable && platform::ansilength(typed) > room()) {
            event->accept();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }

    void insertFromMimeData(const QMimeData *source) override
    {
        if (!source || !source->hasText()) {
            QPlainTextEdit::insertFromMimeData(source);
            return;
        }
        const QString text = source->text();
        if (platform::ansilength(text) <= room()) {
            QPlainTextEdit::insertFromMimeData(source);
            return;
        }
        QMimeData fitted;
        fitted.setText(fitbytes(text, room()));
        QPlainTextEdit::insertFromMimeData(&fitted);
    }

    void inputMethodEvent(QInputMethodEvent *event) override
    {
        const QString commit = event->commitString();
        if (platform::ansilength(commit) <= room()) {
            QPlainTextEdit::inputMethodEvent(event);
            return;
        }
        QInputMethodEvent fitted(event->preeditString(), event->attributes());
        fitted.setCommitString(fitbytes(commit, room()), event->replacementStart(),
                               event->replacementLength());
        QPlainTextEdit::inputMethodEvent(&fitted);
    }

private:
    // Bytes that may still be added when the selection is replaced.
    [[nodiscard]] qsizetype room() const
    {
        const qsizetype used =
            platform::ansilength(toPlainText()) - platform::ansilength(textCursor().selectedText());
        return qbook::maxtextbytes - used;
    }
};

// The character code a key handler receives, or 0 for a key that is not a character (those
// reach the box unfiltered: arrows, Delete, Tab, Ctrl with a letter...).
int charactercode(const QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    default:
        break;
    }
    if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return 0;
    const QString text = key->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return 0;
    return static_cast<int>(text.toUcs4().value(0));
}

} // namespace

EditPanel::EditPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picedit"));
    setAutoFillBackground(true);
    setGeometry(platform::twipsrect(0, 0, 9285, 5775));
    build();
}

void EditPanel::build()
{
    using platform::twipsrect;
    const QFont regular = platform::designfont(8.25);
    const QFont heading = platform::designfont(8.25, true);
    const QFont boxfont = platform::designfont(9.75);

    // The outline lies under the button row, so it is made first and lets clicks through.
    Shape2 = new QFrame(this);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setFrameStyle(QFrame::Box | QFrame::Plain);
    Shape2->setLineWidth(1);
    Shape2->setAttribute(Qt::WA_TransparentForMouseEvents);
    Shape2->setGeometry(twipsrect(120, 4920, 9135, 615));

    auto label = [this](const char *name, const QString &text, const QFont &font, int left, int top,
                        int width, int height) {
        auto *result = new QLabel(text, this);
        result->setObjectName(QLatin1String(name));
        result->setFont(font);
        if (width > 0) {
            result->setGeometry(twipsrect(left, top, width, height));
        } else {
            result->move(twipsrect(left, top, 0, 0).topLeft());
            result->adjustSize();
        }
        return result;
    };
    labq = label("labq", QStringLiteral("Question"), heading, 120, 240, 855, 255);
    labnum1 = label("labnum1", QString(), regular, 120, 600, 0, 0);
    // It sizes itself to numbers up to 32767, which must not be cut off.
    labnum1->setMinimumWidth(platform::twips(690));
    labnum1->adjustSize();
    labanswer = label("labanswer", QStringLiteral("Answers"), heading, 840, 1440, 735, 255);
    lab1 = label("lab1", QStringLiteral("1"), regular, 1080, 1800, 0, 0);
    lab2 = label("lab2", QStringLiteral("2"), regular, 1080, 2280, 0, 0);
    lab3 = label("lab3", QStringLiteral("3"), regular, 1080, 2760, 0, 0);
    lab4 = label("lab4", QStringLiteral("4"), regular, 1080, 3240, 0, 0);
    labcorrectans =
        label("labcorrectans", QStringLiteral("Correct Answer (1-4)"), regular, 480, 3960, 0, 0);

    txtquestion = new QuestionBox(this);
    txtquestion->setObjectName(QStringLiteral("txtquestion"));
    txtquestion->setFont(boxfont);
    txtquestion->setGeometry(twipsrect(840, 480, 8295, 855));
    txtquestion->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtquestion->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    txtquestion->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtquestion->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtquestion->setTabChangesFocus(true);
    txtquestion->setAccessibleName(QStringLiteral("Question"));

    constexpr std::array<int, 4> anstops = {1680, 2160, 2640, 3120};
    for (int i = 0; i < 4; ++i) {
        auto *box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("txtans%1").arg(i));
        box->setFont(boxfont);
        box->setGeometry(twipsrect(1440, anstops[i], 6375, 375));
        box->setMaxLength(qbook::maxtextbytes);
        box->setAccessibleName(QStringLiteral("Answer %1").arg(i + 1));
        txtans[i] = box;
    }

    txtcorrect = new QLineEdit(this);
    txtcorrect->setObjectName(QStringLiteral("txtcorrect"));
    txtcorrect->setFont(platform::designfont(9.75, true));
    txtcorrect->setGeometry(twipsrect(2040, 3810, 375, 405));
    txtcorrect->setMaxLength(1);
    txtcorrect->setAccessibleName(QStringLiteral("Correct answer"));
    // The key handler filters typed characters; pasting, dropping and input methods go
    // around it, but not around a validator: only one character 1 to 4 ever gets in. What
    // fillboxes puts there is shown whatever it is.
    txtcorrect->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[1-4]?")), txtcorrect));
    // fillboxes may widen the box's limit to show a stored number of several digits; once the
    // user has edited it down to one character, typing is held to one again.
    connect(txtcorrect, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (text.size() <= 1)
            txtcorrect->setMaxLength(1);
    });

    auto button = [this](const char *name, const QString &caption, const QString &tooltip,
                         const QString &accessible, int left, int width) {
        auto *result = new QPushButton(caption, this);
        result->setObjectName(QLatin1String(name));
        result->setToolTip(tooltip);
        result->setAccessibleName(accessible);
        result->setAutoDefault(false);
        result->setDefault(false);
        result->setGeometry(twipsrect(left, 5040, width, 375));
        return result;
    };
    cmddelete = button("cmddelete", QStringLiteral("&Delete"),
                       QStringLiteral("Delete Current Record"), QStringLiteral("Delete"), 240, 855);
    cmdfirst = button("cmdfirst", QStringLiteral("| <<"), QStringLiteral("Go to First Question"),
                      QStringLiteral("First question"), 1680, 615);
    cmdprev = button("cmdprev", QStringLiteral("<<"), QStringLiteral("Previous Question"),
                     QStringLiteral("Previous question"), 2400, 735);
    cmdnext = button("cmdnext", QStringLiteral(">>"), QStringLiteral("Next Question"),
                     QStringLiteral("Next question"), 3240, 735);
    cmdlast = button("cmdlast", QStringLiteral(">> |"), QStringLiteral("Go to Last Question"),
                     QStringLiteral("Last question"), 4080, 735);
    cmdadd = button("cmdadd", QStringLiteral("&Add"), QStringLiteral("Add a new Question"),
                    QStringLiteral("Add"), 5160, 855);
    cmdupdate = button("cmdupdate", QStringLiteral("&Update"),
                       QStringLiteral("Update Changes in Current Question"),
                       QStringLiteral("Update"), 6240, 855);
    cmdsave = button("cmdsave", QStringLiteral("&Save"), QStringLiteral("Save Quiz Book"),
                     QStringLiteral("Save"), 7320, 855);
    cmdeditclose = button("cmdeditclose", QStringLiteral("&Close"),
                          QStringLiteral("Close Quiz Book"), QStringLiteral("Close"), 8280, 855);

    connect(cmdfirst, &QPushButton::clicked, this, &EditPanel::cmdfirst_Click);
    connect(cmdprev, &QPushButton::clicked, this, &EditPanel::cmdprev_Click);
    connect(cmdnext, &QPushButton::clicked, this, &EditPanel::cmdnext_Click);
    connect(cmdlast, &QPushButton::clicked, this, &EditPanel::cmdlast_Click);
    connect(cmdadd, &QPushButton::clicked, this, &EditPanel::cmdadd_Click);
    connect(cmdupdate, &QPushButton::clicked, this, &EditPanel::cmdupdate_Click);
    connect(cmddelete, &QPushButton::clicked, this, &EditPanel::cmddelete_Click);
    connect(cmdsave, &QPushButton::clicked, this, &EditPanel::cmdsave_Click);
    connect(cmdeditclose, &QPushButton::clicked, this, [this] { cmdeditclose_Click(); });

    // Tab walks the panel in the design's focus order.
    const std::vector<QWidget *> taborder = {
        txtquestion, txtans[0], txtans[1],    txtans[2], txtans[3], txtcorrect, cmdfirst, cmdlast,
        cmdprev,     cmdnext,   cmdeditclose, cmdsave,   cmddelete, cmdadd,     cmdupdate};
    for (std::size_t i = 1; i < taborder.size(); ++i)
        setTabOrder(taborder[i - 1], taborder[i]);

    txtquestion->installEventFilter(this);
    for (QLineEdit *box : txtans)
        box->installEventFilter(this);
    txtcorrect->installEventFilter(this);
}

void EditPanel::watchdrops(QObject *filter)
{
    txtquestion->installEventFilter(filter);
    // The question box takes drops in its viewport.
    txtquestion->viewport()->installEventFilter(filter);
    for (QLineEdit *box : txtans)
        box->installEventFilter(filter);
    txtcorrect->installEventFilter(filter);
}

bool EditPanel::eventFilter(QObject *watched, QEvent *event)
{
    const bool shortcut = event->type() == QEvent::ShortcutOverride;
    if (!shortcut && event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto found = std::find(txtans.begin(), txtans.end(), watched);
    const bool isans = found != txtans.end();
    if (!isans && watched != txtquestion && watched != txtcorrect)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);

    if (shortcut) {
        const bool chord =
            key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (!chord)
            return false;
        // A text box claims Ctrl+Z and Ctrl+A for its own undo and select-all; the menu's
        // shortcuts win while their item is enabled, so Undo Delete works from the boxes.
        const QKeySequence pressed(key->keyCombination());
        for (const QAction *action : window()->findChildren<QAction *>()) {
            if (action->isEnabled() && !action->shortcut().isEmpty() &&
                action->shortcut().matches(pressed) == QKeySequence::ExactMatch)
                return true;
        }
        return false;
    }

    int code = charactercode(key);
    if (code == 0)
        return false;
    if (watched == txtquestion)
        txtquestion_KeyPress(code);
    else if (isans)
        txtans_KeyPress(static_cast<int>(found - txtans.begin()), code);
    else
        txtcorrect_KeyPress(code);
    return code == 0;
}

void EditPanel::txtquestion_KeyPress(int &keyascii)
{
    if (keyascii == 13) {
        keyascii = 0;
        txtans[0]->setFocus();
    }
}

void EditPanel::txtans_KeyPress(int index, int &keyascii)
{
    if (keyascii != 13)
        return;
    keyascii = 0;
    if (index < 3)
        txtans[index + 1]->setFocus();
    else
        txtcorrect->setFocus();
}

void EditPanel::txtcorrect_KeyPress(int &keyascii)
{
    if (keyascii == 13) {
        keyascii = 0;
        const auto &s = modquiz::state();
        const bool beforelast = s.curq >= 1 && s.curq < modquiz::lastquestion();
        if (!beforelast)
            cmdadd_Click();
        else if (cmdnext->isEnabled())
            cmdnext->setFocus();
        else
            // Undo Delete can leave Next off on an earlier question; Add is always on.
            cmdadd->setFocus();
    }
    const bool digit = keyascii >= '1' && keyascii <= '4';
    if (!digit)
        keyascii = 0;
}

#include "ui/main/edit/editpanel.h"

#include "platform/msgbox.h"
#include "storage/modquiz.h"
#include "storage/qbook.h"
#include "storage/soundness.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <initializer_list>

namespace {

void setenabled(std::initializer_list<QPushButton *> buttons, bool enabled)
{
    for (QPushButton *button : buttons)
        button->setEnabled(enabled);
}

// The whole number at the start of text, leading blanks skipped; 0 without a digit. A number
// too big for the record's one-byte field is 0 as well, never a smaller number that would
// pass for a valid answer.
quint8 leadingnumber(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    unsigned value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + static_cast<unsigned>(text[i].unicode() - '0');
        if (value > 255)
            return 0;
    }
    return static_cast<quint8>(value);
}

// A stored text split at its line breaks (CR LF, a lone CR, a lone LF): the text as the
// question box shows it, one '\n' per break, and each break as it was stored.
struct SplitText
{
    QString shown;
    QStringList breaks;
};

SplitText splitbreaks(const QString &stored)
{
    SplitText out;
    out.shown.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QChar c = stored[i];
        if (c == QLatin1Char('\r') && i + 1 < stored.size() && stored[i + 1] == QLatin1Char('\n')) {
            out.breaks.append(QStringLiteral("\r\n"));
            ++i;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            out.breaks.append(QString(c));
        } else {
            out.shown.append(c);
            continue;
        }
        out.shown.append(QLatin1Char('\n'));
    }
    return out;
}

// The question box's text exactly as it holds it, a '\n' between lines. toPlainText() would
// turn the no-break space into a blank.
QString boxtext(const QPlainTextEdit *box)
{
    QString text;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        if (block != box->document()->begin())
            text.append(QLatin1Char('\n'));
        text.append(block.text());
    }
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

// The question box's text to store, given the text last put into it. Where the box still
// shows the stored text, its line breaks go back as they were stored (the common start and
// end of the two texts); every other line break is one the user made and is stored as CR LF,
// the convention of the books' code page.
QString storedtext(const QString &typed, const QString &stored)
{
    const SplitText before = splitbreaks(stored);
    const QString &shown = before.shown;
    const qsizetype shorter = std::min(typed.size(), shown.size());
    qsizetype head = 0;
    while (head < shorter && typed[head] == shown[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head &&
           typed[typed.size() - 1 - tail] == shown[shown.size() - 1 - tail])
        ++tail;
    const qsizetype tailstart = typed.size() - tail;
    qsizetype tailbreak = before.breaks.size() - typed.mid(tailstart).count(QLatin1Char('\n'));

    QString out;
    out.reserve(typed.size() + before.breaks.size());
    qsizetype headbreak = 0;
    for (qsizetype i = 0; i < typed.size(); ++i) {
        if (typed[i] != QLatin1Char('\n'))
            out.append(typed[i]);
        else if (i < head)
            out.append(before.breaks[headbreak++]);
        else if (i >= tailstart)
            out.append(before.breaks[tailbreak++]);
        else
            out.append(QLatin1String("\r\n"));
    }
    return out;
}

const QString fullmessage =
    QStringLiteral("This quiz book is full: it cannot hold more than %1 questions")
        .arg(qbook::maxquestions);

} // namespace

void EditPanel::fillboxes()
{
    const QuestionRecord &q = modquiz::state().workq;
    {
        const QSignalBlocker block(txtquestion);
        m_storedquestion = q.question;
        txtquestion->setPlainText(splitbreaks(q.question).shown);
    }
    for (int i = 0; i < 4; ++i) {
        const QSignalBlocker block(txtans[i]);
        // A longer answer from a book made elsewhere shows whole instead of being cut here
        // without a word; Save says that it will be shortened.
        txtans[i]->setMaxLength(
            std::max<int>(qbook::maxtextbytes, static_cast<int>(q.answers[i].size())));
        txtans[i]->setText(q.answers[i]);
    }
    // The one-character limit is for typing; a stored number of several digits must show
    // whole and read back unchanged.
    const QString correct = QString::number(q.correct);
    const QSignalBlocker block(txtcorrect);
    txtcorrect->setMaxLength(std::max<int>(1, static_cast<int>(correct.size())));
    txtcorrect->setText(correct);
}

void EditPanel::readboxes()
{
    QuestionRecord &q = modquiz::state().workq;
    q.question = storedtext(boxtext(txtquestion), m_storedquestion);
    for (int i = 0; i < 4; ++i)
        q.answers[i] = txtans[i]->text();
    q.correct = leadingnumber(txtcorrect->text());
}

void EditPanel::clearboxes()
{
    {
        const QSignalBlocker block(txtquestion);
        txtquestion->clear();
        m_storedquestion.clear();
    }
    for (QLineEdit *box : txtans) {
        const QSignalBlocker block(box);
        box->clear();
    }
    const QSignalBlocker block(txtcorrect);
    txtcorrect->clear();
    txtcorrect->setMaxLength(1);
}

bool EditPanel::boxesfilled() const
{
    if (txtquestion->document()->isEmpty() || txtcorrect->text().isEmpty())
        return false;
    return std::none_of(txtans.begin(), txtans.end(),
                        [](const QLineEdit *box) { return box->text().isEmpty(); });
}

bool EditPanel::boxesstorable()
{
    // An empty question or Correct box is refused without a word, and four filled answers are
    // taken as they are typed.
    if (txtquestion->document()->isEmpty() || txtcorrect->text().isEmpty())
        return false;
    if (boxesfilled())
        return true;
    QuestionRecord typed;
    typed.question = boxtext(txtquestion);
    for (int i = 0; i < 4; ++i)
        typed.answers[i] = txtans[i]->text();
    typed.correct = leadingnumber(txtcorrect->text());
    const qbook::Unsound why = qbook::soundness(typed);
    if (why == qbook::Unsound::None)
        return true;
    platform::msgbox(QStringLiteral("The question is not stored: ") +
                     qbook::unsoundreason(why, typed.correct));
    return false;
}

// --- Navigation ------------------------------------------------------------------------------

void EditPanel::showstored(int k, bool setlabel)
{
    auto &s = modquiz::state();
    s.workq = s.questions.at(k);
    fillboxes();
    if (setlabel)
        labnum1->setText(QString::number(k));
}

void EditPanel::cmdfirst_Click()
{
    // Pressed in code only while the book has questions; on an empty book there is nothing
    // to show.
    if (modquiz::lastquestion() == 0)
        return;
    modquiz::state().curq = 1;
    showstored(1);
    setenabled({cmdlast, cmdnext}, true);
    setenabled({cmdfirst, cmdprev}, false);
}

void EditPanel::cmdprev_Click()
{
    auto &s = modquiz::state();
    const int n = modquiz::lastquestion();
    if (n == 0)
        return;
    // From the new-question slot the previous question is the last stored one.
    if (s.curq > n + 1)
        s.curq = static_cast<qint16>(n + 1);
    if (s.curq <= 1) {
        s.curq = 1;
        showstored(1);
        setenabled({cmdprev, cmdfirst}, false);
        return;
    }
    --s.curq;
    showstored(s.curq);
    setenabled({cmdlast, cmdnext}, true);
}

void EditPanel::cmdnext_Click()
{
    auto &s = modquiz::state();
    const int n = modquiz::lastquestion();
    if (n == 0)
        return;
    // The end is found lazily: Next on the last question (or past it, on the new-question
    // slot) shows the last one again and only then turns that end off.
    if (s.curq >= n) {
        s.curq = static_cast<qint16>(n);
        showstored(n);
        setenabled({cmdnext, cmdlast}, false);
        cmdadd->setFocus();
        return;
    }
    s.curq = static_cast<qint16>(std::max<int>(s.curq, 0) + 1);
    showstored(s.curq);
    setenabled({cmdfirst, cmdprev}, true);
}

void EditPanel::cmdlast_Click()
{
    auto &s = modquiz::state();
    const int n = modquiz::lastquestion();
    if (n == 0)
        return;
    s.curq = static_cast<qint16>(n);
    showstored(n);
    setenabled({cmdfirst, cmdprev}, true);
    setenabled({cmdlast, cmdnext}, false);
    cmdadd->setFocus();
}

void EditPanel::enter(qint16 count)
{
    const bool navigation = count != 0 && count != 1;
    const bool editing = count != 0;
    setenabled({cmdfirst, cmdprev, cmdnext, cmdlast}, navigation);
    setenabled({cmddelete, cmdupdate, cmdsave}, editing);
    cmdadd->setEnabled(true);
    emit bookopen(true);
    if (count == 0)
        clearboxes();
}

void EditPanel::startstates()
{
    for (QPushButton *button : {cmdnext, cmdprev, cmdfirst, cmdlast, cmddelete, cmdupdate, cmdsave})
        button->setEnabled(false);
}

void EditPanel::starttyping()
{
    txtquestion->setFocus();
    labnum1->setText(QStringLiteral("1"));
}

// --- Editing operations ----------------------------------------------------------------------

void EditPanel::cmdadd_Click()
{
    auto &s = modquiz::state();
    if (boxesstorable()) {
        const int n = modquiz::lastquestion();
        const bool onslot = s.curq == 0 || s.curq > n;
        if (onslot && n >= qbook::maxquestions) {
            // Question numbers are 16-bit: one more question would have no number to show
            // and could not be saved.
            platform::msgbox(fullmessage);
            txtquestion->setFocus();
            return;
        }
        if (onslot) {
            s.curq = static_cast<qint16>(n + 1);
            modquiz::resizequestions(n + 1);
            readboxes();
            s.questions.set(s.curq, s.workq);
            clearboxes();
            ++s.curq;
        } else {
            readboxes();
            s.questions.set(s.curq, s.workq);
            s.curq = static_cast<qint16>(n + 1);
            clearboxes();
        }
        setenabled({cmdfirst, cmdprev, cmddelete, cmdsave, cmdupdate}, true);
        setenabled({cmdlast, cmdnext}, false);
        labnum1->setText(QString::number(s.curq));
        s.qbchanged = true;
    }
    txtquestion->setFocus();
}

void EditPanel::cmdupdate_Click()
{
    auto &s = modquiz::state();
    const bool stored = s.curq >= 1 && s.curq <= modquiz::lastquestion();
    if (!stored || !boxesstorable())
        return;
    readboxes();
    s.questions.set(s.curq, s.workq);
    s.qbchanged = true;
    cmdnext_Click();
    cmdadd->setFocus();
}

void EditPanel::cmddelete_Click()
{
    auto &s = modquiz::state();
    // The new-question slot holds no stored question, so there is nothing to delete there. A
    // question with empty answer slots goes as well, sound or not: deleting stores nothing.
    const bool stored = s.curq >= 1 && s.curq <= modquiz::lastquestion();
    if (!stored || txtquestion->document()->isEmpty() || txtcorrect->text().isEmpty())
        return;
    deletequestion();
    if (s.curq != 0)
        labnum1->setText(QString::number(s.curq));
    else
        setenabled({cmdfirst, cmdnext, cmdprev, cmdlast, cmddelete, cmdupdate, cmdsave}, false);
    s.qbchanged = true;
}

void EditPanel::deletequestion()
{
    auto &s = modquiz::state();
    const int n = modquiz::lastquestion();
    if (s.curq < 1 || s.curq > n)
        return;
    emit undoavailable(true);
    s.deletedq = s.questions.at(s.curq);
    s.deletedpos = s.curq;
    if (n == 1) {
        clearboxes();
        s.curq = 0;
        modquiz::resizequestions(0);
        setenabled({cmdfirst, cmdnext, cmdprev, cmddelete, cmdlast}, false);
        return;
    }
    s.questions.removeAt(s.curq);
    if (s.curq > n - 1)
        s.curq = static_cast<qint16>(n - 1);
    showstored(s.curq, /*setlabel=*/false);
}

void EditPanel::undodelete()
{
    auto &s = modquiz::state();
    const int n = modquiz::lastquestion();
    if (n >= qbook::maxquestions) {
        // The question would make a book that can no longer be saved; the undo memory stays
        // for when there is room again.
        platform::msgbox(fullmessage);
        return;
    }
    const int m = s.curq == 0 ? 1 : n + 1;
    const int position = std::clamp<int>(s.deletedpos, 1, m);
    if (n == 0) {
        modquiz::resizequestions(1);
        s.questions.set(1, s.deletedq);
    } else {
        s.questions.insert(position, s.deletedq);
    }
    emit undoavailable(false);
    s.curq = static_cast<qint16>(position);

    // The stored count, not the number of questions now held, decides where the end is.
    setenabled({cmddelete, cmdupdate, cmdsave}, true);
    if (position == 1) {
        setenabled({cmdfirst, cmdprev}, false);
        setenabled({cmdnext, cmdlast}, true);
    } else if (position == s.qbheader.count) {
        setenabled({cmdfirst, cmdprev}, true);
        setenabled({cmdnext, cmdlast}, false);
    } else {
        setenabled({cmdfirst, cmdprev, cmdnext, cmdlast}, true);
    }
    showstored(position);
}

void EditPanel::cmdsave_Click()
{
    auto &s = modquiz::state();
    cmdadd_Click();
    // The user kept the file as it is: the book stays in memory, unsaved.
    if (!savewanted())
        return;
    if (modquiz::savebook()) {
        s.qbchanged = false;
        return;
    }
    platform::msgbox(QStringLiteral("Error saving file"), platform::Buttons::Ok,
                     QStringLiteral("Error"));
}

bool EditPanel::savewanted()
{
    const auto &s = modquiz::state();
    if (modquiz::changedondisk()) {
        const auto answer = platform::msgbox(
            QStringLiteral("The file ") + s.qbpath +
                QStringLiteral(" was changed by another program since it was opened. "
                               "Overwrite it?"),
            platform::Buttons::YesNo, QStringLiteral("Save"));
        if (answer != platform::Answer::Yes)
            return false;
    }
    if (const int overlong = modquiz::overlongtexts(); overlong > 0) {
        const QString text =
            overlong == 1 ? QStringLiteral("1 text is longer than %1 bytes and will be shortened. "
                                           "Save anyway?")
                                .arg(qbook::maxtextbytes)
                          : QStringLiteral("%1 texts are longer than %2 bytes and will be "
                                           "shortened. Save anyway?")
                                .arg(overlong)
                                .arg(qbook::maxtextbytes);
        if (platform::msgbox(text, platform::Buttons::OkCancel, QStringLiteral("Save")) !=
            platform::Answer::Ok)
            return false;
    }
    return true;
}

bool EditPanel::saveprompt()
{
    auto &s = modquiz::state();
    const auto answer = platform::msgbox(QStringLiteral("Save Changes you made to ") + s.qbpath +
                                             QStringLiteral("?"),
                                         platform::Buttons::YesNoCancel, QStringLiteral("Save"));
    switch (answer) {
    case platform::Answer::Yes:
        cmdsave_Click();
        return true;
    case platform::Answer::Cancel:
        s.qbchanged = true;
        return false;
    default:
        s.qbchanged = false;
        return true;
    }
}

bool EditPanel::changessettled()
{
    auto &s = modquiz::state();
    // A save chosen with Yes that failed keeps the changes: going on would lose them.
    return !s.qbchanged || (saveprompt() && !s.qbchanged);
}

bool EditPanel::cmdeditclose_Click()
{
    auto &s = modquiz::state();
    if (!changessettled())
        return false;
    hide();
    modquiz::closebook();
    modquiz::resizequestions(0);
    s.curq = 0;
    emit bookopen(false);
    emit undoavailable(false);
    return true;
}

// The run panel: asking the questions of the loaded book, judging answers, scoring, and the
// Run and One Chance commands that start a run.
#include "ui/main/run/runpanel.h"

#include "platform/fonts.h"
#include "platform/msgbox.h"
#include "platform/twips.h"
#include "storage/modquiz.h"
#include "storage/soundness.h"

#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

namespace {

const QString answercaptions[4] = {QStringLiteral("&A:"), QStringLiteral("&B:"),
                                   QStringLiteral("&C:"), QStringLiteral("&D:")};

// Question and answer texts come from the book as they are: never rich text, never a
// mnemonic, wrapped at word boundaries; a label grows to hold its whole text.
QLabel *textlabel(QWidget *parent, const char *name, const QString &caption, const QRect &rect,
                  const QFont &font)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFont(font);
    label->setGeometry(rect);
    return label;
}

QPushButton *runbutton(QWidget *parent, const char *name, const QString &caption, const QRect &rect)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    // No window of the program has a default button: Enter stays with the focused control.
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setGeometry(rect);
    return button;
}

} // namespace

RunPanel::RunPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picqb"));
    setAutoFillBackground(true);
    setGeometry(platform::twipsrect(0, 0, 9495, 6015));
    build();
}

void RunPanel::setonechance(bool on)
{
    runonechance = on;
}

void RunPanel::setpractice(bool shufflequestions, bool shuffleanswers, bool reviewmissed)
{
    runshufflequestions = shufflequestions;
    runshuffleanswers = shuffleanswers;
    runreviewmissed = reviewmissed;
}

void RunPanel::build()
{
    using platform::twipsrect;

    // The panel's controls stand on a page that scrolls when a question's texts need more room
    // than the panel has; a question that fits leaves it at the panel's own place and size.
    m_runscroll = new QScrollArea(this);
    m_runscroll->setObjectName(QStringLiteral("runscroll"));
    m_runscroll->setFrameShape(QFrame::NoFrame);
    m_runscroll->setFocusPolicy(Qt::NoFocus);
    m_runscroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("runpage"));
    page->resize(platform::twips(9495), platform::twips(6015));
    m_runscroll->setWidget(page);

    // Created first so that it lies under the controls it frames.
    Shape1 = new QFrame(page);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Shape1->setLineWidth(1);
    Shape1->setForegroundRole(QPalette::WindowText);
    Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Shape1->setGeometry(twipsrect(120, 0, 9255, 5535));

    labnum = new QLabel(QStringLiteral("1"), page);
    labnum->setObjectName(QStringLiteral("labnum"));
    labnum->setTextFormat(Qt::PlainText);
    labnum->setFont(platform::designfont(9.75, true));
    labnum->move(platform::twips(240), platform::twips(120));
    labnum->adjustSize();

    const QFont textfont = platform::designfont(12, true);
    labquestion = textlabel(page, "labquestion", QStringLiteral("Q1"),
                            twipsrect(600, 120, 8640, 900), textfont);

    const QFont letterfont = platform::designfont(13.5, true);
    const int designtops[4] = {1200, 2280, 3360, 4440};
    static const char *const labnames[4] = {"labans0", "labans1", "labans2", "labans3"};
    static const char *const cmdnames[4] = {"cmdans0", "cmdans1", "cmdans2", "cmdans3"};
    for (int i = 0; i < 4; ++i) {
        labans[i] = textlabel(page, labnames[i], QStringLiteral("Label1"),
                              twipsrect(840, designtops[i], 8415, 855), textfont);
        cmdans[i] = runbutton(page, cmdnames[i], answercaptions[i],
                              twipsrect(240, designtops[i], 495, 495));
        cmdans[i]->setFont(letterfont);
        cmdans[i]->setAccessibleName(QStringLiteral("Answer %1").arg(QChar(u'A' + i)));
        connect(cmdans[i], &QPushButton::clicked, this, [this, i] { cmdans_Click(i); });
    }

    cmdqbclose =
        runbutton(page, "cmdqbclose", QStringLiteral("C&lose"), twipsrect(6000, 5640, 1815, 300));
    cmdqbclose->setToolTip(QStringLiteral("Close Quiz Book"));
    cmdqbclose->setAccessibleName(QStringLiteral("Close quiz book"));
    connect(cmdqbclose, &QPushButton::clicked, this, &RunPanel::cmdqbclose_Click);

    cmdskip = runbutton(page, "cmdskip", QStringLiteral("&Skip"), twipsrect(1800, 5640, 1815, 300));
    cmdskip->setToolTip(QStringLiteral("Skip Current Question"));
    cmdskip->setAccessibleName(QStringLiteral("Skip"));
    connect(cmdskip, &QPushButton::clicked, this, &RunPanel::cmdskip_Click);

    // Tab order of the panel: Close, Skip, then the answers A to D.
    setTabOrder(cmdqbclose, cmdskip);
    setTabOrder(cmdskip, cmdans[0]);
    for (int i = 1; i < 4; ++i)
        setTabOrder(cmdans[i - 1], cmdans[i]);
}

void RunPanel::setlabnum(const QString &caption)
{
    labnum->setText(caption);
    labnum->adjustSize();
}

void RunPanel::showquestion()
{
    const QuestionRecord &workq = modquiz::state().workq;
    labquestion->setText(workq.question);
    for (int i = 0; i < 4; ++i) {
        labans[i]->setText(workq.answers[i]);
        // An empty slot is not offered; the filled ones keep their letters.
        const bool offered = qbook::filled(workq.answers[i]);
        labans[i]->setVisible(offered);
        cmdans[i]->setVisible(offered);
        // A screen reader says the answer with its letter.
        cmdans[i]->setAccessibleDescription(workq.answers[i]);
    }
    layoutrunpanel();
    m_runscroll->verticalScrollBar()->setValue(0);
}

void RunPanel::layoutrunpanel()
{
    using platform::totwips;
    using platform::twips;
    const QSize client = parentWidget()->size();
    // Stacked in twips from the labels' heights, so that rounding to pixels happens once per
    // row and does not add up down the panel. Each label is as tall as the design makes it, or
    // as its text needs; widened by extra pixels when the window is. Returns how many pixels
    // taller than the design the rows came out.
    const auto stack = [&](int extra) {
        constexpr int gap = 160;
        const auto fit = [](QLabel *label, int width, int designheight) {
            label->resize(width, std::max(twips(designheight), label->heightForWidth(width)));
        };
        fit(labquestion, twips(8640) + extra, 900);
        int top = totwips(labquestion->y() + labquestion->height()) + gap;
        int designtop = totwips(labquestion->y() + twips(900)) + gap;
        for (int i = 0; i < 4; ++i) {
            fit(labans[i], twips(8415) + extra, 855);
            labans[i]->move(labans[i]->x(), twips(top));
            cmdans[i]->move(cmdans[i]->x(), twips(top));
            top += totwips(labans[i]->height()) + gap;
            designtop += totwips(twips(855)) + gap;
        }
        return twips(top) - twips(designtop);
    };
    int extra = std::max(0, client.width() - twips(9525));
    int grow = stack(extra);
    if (twips(6015) + grow > client.height()) {
        // The page scrolls: the scroll bar takes its width from the rows.
        extra = client.width() - twips(9525) - m_runscroll->verticalScrollBar()->sizeHint().width();
        grow = stack(extra);
        emit needsroom();
    }
    const QRect shape = platform::twipsrect(120, 0, 9255, 5535);
    Shape1->setGeometry(shape.adjusted(0, 0, extra, grow));
    cmdskip->move(cmdskip->x(), twips(5640) + grow);
    cmdqbclose->move(cmdqbclose->x(), twips(5640) + grow);
    m_runscroll->widget()->resize(twips(9495) + extra, twips(6015) + grow);
    m_runscroll->setGeometry(QRect(QPoint(0, 0), client));
    resize(size().expandedTo(client));
}

void RunPanel::firstquestion()
{
    auto &s = modquiz::state();
    s.curq = 1;
    planrun();
    emit runstarted(false, runmaximum());
    if (runlength() >= 1)
        s.workq = runquestion(1);
    showquestion();
    setlabnum(QString::number(s.curq));
    emit asked(booknumber());
}

void RunPanel::nextquestion()
{
    auto &s = modquiz::state();
    s.quizover = false;
    const int last = runlength();
    // The end is decided by the questions loaded, never by the header's count.
    if (s.curq >= last) {
        if (s.curq >= 1 && s.curq <= last)
            s.workq = runquestion(s.curq);
        showquestion();
        s.quizover = true;
        return;
    }
    ++s.curq;
    s.workq = runquestion(s.curq);
    showquestion();
    setlabnum(QString::number(s.curq));
    emit asked(booknumber());
}

bool RunPanel::finishquestion(bool onechancewrong)
{
    m_secondtry = false;
    nextquestion();
    if (!modquiz::state().quizover)
        return false;
    endofquiz(onechancewrong);
    return true;
}

void RunPanel::cmdans_Click(int index)
{
    if (index < 0 || index > 3)
        return;
    const QuestionRecord &workq = modquiz::state().workq;
    // An empty slot is no answer: pressing where it would be does nothing.
    if (!qbook::filled(workq.answers[index]))
        return;
    const bool right = index + 1 == workq.correct;
    // A book may carry a number outside 1 to 4: nothing can be right then, and there is no
    // answer text to reveal.
    const bool hascorrect = workq.correct >= 1 && workq.correct <= 4;
    const QString reveal = QStringLiteral("Sorry your answer is wrong\r\nCorrect answer is ") +
                           (hascorrect ? workq.answers[workq.correct - 1] : QString());

    const bool rightfirsttime = right && (runonechance || !m_secondtry);
    if (!rightfirsttime)
        markmissed();
    emit chose(booknumber(), bookletter(index));
    if (rightfirsttime || right || runonechance || m_secondtry) {
        using results::Outcome;
        emit questionended(booknumber(), rightfirsttime ? Outcome::RightFirst
                                         : right        ? Outcome::RightSecond
                                                        : Outcome::Wrong);
    }
    bool ended = false;
    if (rightfirsttime) {
        m_score += 10;
        platform::msgbox(QStringLiteral("Your answer is correct 10 points added to your score"));
        cmdans[wrongbtn]->setEnabled(true);
        ended = finishquestion(false);
    } else if (right) {
        m_score += 5;
        platform::msgbox(QStringLiteral("Your answer is correct 5 points added to your score"));
        cmdans[wrongbtn]->setEnabled(true);
        ended = finishquestion(false);
    } else if (runonechance) {
        platform::msgbox(reveal);
        ended = finishquestion(true);
    } else if (m_secondtry) {
        platform::msgbox(reveal);
        cmdans[wrongbtn]->setEnabled(true);
        ended = finishquestion(false);
    } else {
        platform::msgbox(QStringLiteral("Sorry, Your answer is wrong \rPlease try again"));
        cmdans[index]->setEnabled(false);
        wrongbtn = static_cast<quint8>(index);
        m_secondtry = true;
    }
    if (!ended)
        cmdskip->setFocus();
}

void RunPanel::cmdskip_Click()
{
    markmissed();
    emit questionended(booknumber(), results::Outcome::Skipped);
    nextquestion();
    if (modquiz::state().quizover)
        endofquiz(false);
    m_secondtry = false;
    for (QPushButton *button : cmdans)
        button->setEnabled(true);
}

void RunPanel::endofquiz(bool onechancewrong)
{
    const int maximum = runmaximum();
    if (m_score == maximum) {
        platform::msgbox(QStringLiteral("Congragulations You Won The Quiz\r\nYour Score is :%1"
                                        "\r\nHave a nice day")
                             .arg(m_score),
                         platform::Buttons::Ok, QStringLiteral("Winner"));
    } else {
        platform::msgbox(
            QStringLiteral("Quiz is over \rYour score is %1 out of %2").arg(m_score).arg(maximum),
            platform::Buttons::Ok, QStringLiteral("Quiz Over"));
    }
    emit runended(m_score, maximum);
    m_score = 0;
    m_secondtry = false;
    if (onechancewrong)
        emit onechancelost();
    // Close empties the book and the run's record: take what another go needs first.
    const QList<QuestionRecord> book = modquiz::state().questions;
    const QList<int> missed = missedquestions();
    cmdqbclose_Click();
    offerreview(book, missed);
}

void RunPanel::cmdqbclose_Click()
{
    auto &s = modquiz::state();
    hide();
    modquiz::closebook();
    modquiz::resizequestions(0);
    s.curq = 0;
    m_plan = {};
    m_missed.clear();
    m_score = 0;
    m_secondtry = false;
    for (QPushButton *button : cmdans)
        button->setEnabled(true);
    emit closed();
}

bool RunPanel::escape()
{
    if (!isVisible() || !cmdskip->isEnabled())
        return false;
    cmdskip_Click();
    return true;
}

void RunPanel::askfirst()
{
    planrun();
    emit runstarted(false, runmaximum());
    if (runlength() >= 1)
        modquiz::state().workq = runquestion(1);
    showquestion();
    emit asked(booknumber());
}

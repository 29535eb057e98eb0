// Aiken: a question line, choices "A) text" or "A. text", then "ANSWER: B"; blank lines
// between questions.
#include "interchange/common.h"

namespace interchange::detail {
namespace {

class AikenReader
{
public:
    explicit AikenReader(BookBuilder &builder) : m_builder(builder) {}

    void read(const QString &text)
    {
        qsizetype pos = 0;
        int number = 0;
        while (pos < text.size() && m_builder.going(pos, text.size()))
            readline(nextline(text, pos).trimmed(), ++number);
        if (m_builder.ended())
            return;
        if (m_state == State::Skipping)
            endskip(number);
        else if (m_state != State::Idle)
            skip(QStringLiteral("no ANSWER line before the end of the file"));
    }

private:
    enum class State { Idle, Question, Choices, Skipping };

    void readline(QStringView line, int number)
    {
        if (line.isEmpty()) {
            if (m_state == State::Skipping)
                endskip(number - 1);
            // A blank line after the choices ends a question left unfinished, so that the
            // next one is read.
            if (m_state == State::Choices)
                skip(QStringLiteral("no ANSWER line before a blank line"));
            return;
        }
        const bool answerline = line.startsWith(u"ANSWER:", Qt::CaseInsensitive);
        if (m_state == State::Skipping) {
            if (answerline)
                endskip(number);
            return;
        }
        if (m_state == State::Idle) {
            m_line = number;
            m_question = line.toString();
            m_choices.clear();
            m_state = State::Question;
            return;
        }
        if (answerline)
            return finish(line.sliced(7).trimmed());

        const QChar expected(static_cast<char16_t>(u'A' + m_choices.size()));
        const bool choice =
            line.size() >= 2 && line[0] == expected && (line[1] == u')' || line[1] == u'.');
        if (choice) {
            m_choices.append(line.sliced(2).trimmed().toString());
            m_state = State::Choices;
        } else if (m_state == State::Question) {
            m_question += QStringLiteral("\r\n") + line.toString(); // a book's line break
        } else {
            // Neither the next choice nor the answer: this question is damaged; go on at the
            // next one, after a blank line or this one's ANSWER line.
            m_badline = number;
            m_state = State::Skipping;
        }
    }

    void finish(QStringView letter)
    {
        m_state = State::Idle;
        if (m_choices.isEmpty())
            return skip(QStringLiteral("no choices before the ANSWER line"));
        const int index = letter.size() == 1 ? letter[0].toUpper().unicode() - u'A' : -1;
        if (index < 0 || index >= m_choices.size())
            return skip(QStringLiteral("ANSWER \"%1\" names no choice").arg(letter));
        if (m_choices.size() > 4)
            return skip(QStringLiteral("more than four choices"));
        if (m_choices.size() < 2)
            return skip(QStringLiteral("fewer than two choices"));
        m_builder.add(m_line, m_question, m_choices, index + 1);
    }

    void skip(const QString &reason)
    {
        m_state = State::Idle;
        m_builder.report(m_line, reason + QStringLiteral(": skipped"));
    }

    void endskip(int last)
    {
        m_state = State::Idle;
        m_builder.report(m_line, QStringLiteral("line %1 is neither choice %2 nor the ANSWER line: "
                                                "lines %3 to %4 skipped")
                                     .arg(m_badline)
                                     .arg(QChar(static_cast<char16_t>(u'A' + m_choices.size())))
                                     .arg(m_line)
                                     .arg(last));
    }

    BookBuilder &m_builder;
    State m_state = State::Idle;
    int m_line = 0;
    int m_badline = 0;
    QString m_question;
    QStringList m_choices;
};

// A text on one line, as Aiken holds it.
QString oneline(const QString &text, bool &breaks, bool &spaces)
{
    QString out = text;
    if (out.contains(u'\n') || out.contains(u'\r')) {
        breaks = true;
        out.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        out.replace(u'\r', u' ').replace(u'\n', u' ');
    }
    const QString trimmed = out.trimmed();
    spaces |= trimmed.size() != out.size();
    return trimmed;
}

} // namespace

ImportResult readaiken(QByteArray &data, const Progress &progress)
{
    return readtext<AikenReader>(data, progress);
}

ExportResult writeaiken(const QBookHeader &header, const Questions &questions, Pacer &pacer)
{
    ExportResult result;
    if (!header.category.isEmpty() || !header.author.isEmpty())
        result.problems.append(Problem{0, QStringLiteral("Aiken has no place for the category and "
                                                         "author: left out")});
    QString out;
    for (qsizetype k = 0; k < questions.size(); ++k) {
        const QuestionRecord record = questions.at(k);
        const int number = static_cast<int>(k + 1);
        if (!pacer.at(k, questions.size()))
            return result;
        if (!writable(record, number, result))
            continue;
        bool breaks = false;
        bool spaces = false;
        const QString question = oneline(record.question, breaks, spaces);
        if (question.isEmpty()) {
            result.problems.append(Problem{number, QStringLiteral("Aiken cannot hold a question "
                                                                  "without text: left out")});
            continue;
        }
        out += question + u'\n';
        const int used = slotsused(record);
        for (int i = 0; i < used; ++i) {
            const QString answer = oneline(record.answers[i], breaks, spaces);
            out +=
                QChar(u'A' + i) + (answer.isEmpty() ? QStringLiteral(")") : ") " + answer) + u'\n';
        }
        out +=
            QStringLiteral("ANSWER: ") + QChar(u'A' + record.correct - 1) + QStringLiteral("\n\n");
        if (breaks)
            result.problems.append(
                Problem{number, QStringLiteral("line breaks written as spaces")});
        if (spaces)
            result.problems.append(
                Problem{number, QStringLiteral("spaces at the start or end of a text left out")});
    }
    result.data = out.toUtf8();
    return result;
}

} // namespace interchange::detail

#include "classroom/session.h"

#include "storage/soundness.h"

#include <QJsonArray>
#include <QRandomGenerator>

#include <algorithm>

namespace classroom {

namespace {

QString newcode()
{
    return QStringLiteral("%1").arg(QRandomGenerator::system()->bounded(1000000), 6, 10,
                                    QLatin1Char('0'));
}

QByteArray newtoken()
{
    std::array<quint32, 4> words;
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char *>(words.data()), sizeof words).toHex();
}

// A name as it is kept: runs of white space (line breaks too) become one space.
QString cleanname(const QString &name)
{
    QString clean = name.simplified();
    clean.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    return clean;
}

char letter(int slot)
{
    return slot < 0 ? 0 : char('A' + slot);
}

} // namespace

Session::Session(const QString &bookpath, const QBookHeader &header,
                 const QList<QuestionRecord> &questions, QObject *parent)
    : QObject(parent), m_bookpath(bookpath), m_header(header), m_questions(questions),
      m_code(newcode())
{
    for (qsizetype k = 1; k < m_questions.size(); ++k) {
        if (qbook::issound(m_questions[k]))
            m_sound.append(int(k));
    }
    m_clock.start();
}

bool Session::setoptions(const results::Options &options)
{
    if (started())
        return false;
    m_options = options;
    return true;
}

bool Session::waiting(const QString &address)
{
    QList<qint64> &times = m_wrongcodes[address];
    const qint64 now = m_clock.elapsed();
    times.removeIf([now](qint64 t) { return now - t >= wrongcodewindowms; });
    if (times.isEmpty())
        m_wrongcodes.remove(address);
    return times.size() >= maxwrongcodes;
}

JoinResult Session::join(const QString &code, const QString &name, const QString &address,
                         QByteArray *token)
{
    if (m_ended)
        return JoinResult::Ended;
    if (waiting(address))
        return JoinResult::Waiting;
    if (code != m_code) {
        m_wrongcodes[address].append(m_clock.elapsed());
        return JoinResult::WrongCode;
    }
    const QString clean = cleanname(name);
    if (clean.isEmpty() || clean.toUcs4().size() > maxnamelength)
        return JoinResult::BadName;
    if (m_students.size() >= size_t(maxstudents))
        return JoinResult::Full;

    Student &student = m_students.emplace_back();
    student.name = clean;
    student.token = newtoken();
    student.started = QDateTime::currentDateTime();
    student.order = m_sound;
    auto *random = QRandomGenerator::global();
    if (m_options.shufflequestions)
        std::shuffle(student.order.begin(), student.order.end(), *random);
    for (int booknumber : std::as_const(student.order)) {
        QList<int> onbuttons;
        for (int slot = 0; slot < 4; ++slot) {
            if (qbook::filled(m_questions[booknumber].answers[slot]))
                onbuttons.append(slot);
        }
        if (m_options.shuffleanswers)
            std::shuffle(onbuttons.begin(), onbuttons.end(), *random);
        student.buttons.append(onbuttons);
    }
    m_bytoken.insert(student.token, qsizetype(m_students.size() - 1));
    startquestion(student);
    *token = student.token;
    emit joined(int(m_students.size() - 1));
    return JoinResult::Joined;
}

void Session::startquestion(Student &student)
{
    student.firstchoice = -1;
    student.shownms = m_clock.elapsed();
    if (student.finished())
        student.ended = QDateTime::currentDateTime();
}

const Student *Session::student(const QByteArray &token) const
{
    const auto found = m_bytoken.constFind(token);
    return found == m_bytoken.cend() ? nullptr : &m_students[*found];
}

void Session::record(Student &student, int index, char first, char second, results::Outcome outcome)
{
    const int booknumber = student.order[student.position];
    results::Answer &answer = student.answers.emplace_back();
    answer.question = booknumber;
    answer.questionhash = results::questionhash(m_questions[booknumber]);
    answer.first = first;
    answer.second = second;
    answer.outcome = outcome;
    answer.seconds = double(m_clock.elapsed() - student.shownms) / 1000.0;
    ++student.position;
    startquestion(student);
    if (student.finished() && m_sink) {
        // Kept at once, so that nothing a student finished is lost whatever becomes of the class.
        student.handedover = true;
        m_sink(attempt(student));
    }
    emit advanced(index);
    if (student.finished())
        emit finished(index);
}

Judged Session::answer(const QByteArray &token, int number, int attempt, int choice)
{
    Judged judged;
    if (m_ended) {
        judged.verdict = Verdict::Ended;
        return judged;
    }
    const auto found = m_bytoken.constFind(token);
    if (found == m_bytoken.cend())
        return judged;
    const int index = int(*found);
    Student &student = m_students[*found];
    const bool secondtry = student.firstchoice >= 0;
    const bool onshow =
        !student.finished() && number == student.position + 1 && attempt == (secondtry ? 2 : 1);
    const QList<int> &buttons = onshow ? student.buttons[student.position] : QList<int>();
    if (!onshow || choice < 0 || choice >= buttons.size() || choice == student.firstchoice)
        return judged;

    const int booknumber = student.order[student.position];
    const QuestionRecord &question = m_questions[booknumber];
    const int slot = buttons[choice];
    const bool right = slot + 1 == question.correct;
    if (!secondtry) {
        m_choices[booknumber][slot] += 1;
        emit choiceschanged();
    }
    const char first = letter(secondtry ? buttons[student.firstchoice] : slot);
    const char second = secondtry ? letter(slot) : 0;
    if (right) {
        judged.verdict = Verdict::Right;
        judged.points = secondtry ? 5 : 10;
        student.score += judged.points;
        record(student, index, first, second,
               secondtry ? results::Outcome::RightSecond : results::Outcome::RightFirst);
        return judged;
    }
    if (!secondtry && !m_options.onechance) {
        judged.verdict = Verdict::TryAgain;
        student.firstchoice = choice;
        return judged;
    }
    judged.verdict = Verdict::Wrong;
    judged.right = question.answers[question.correct - 1];
    record(student, index, first, second, results::Outcome::Wrong);
    return judged;
}

QJsonObject Session::view(const Student &student) const
{
    QJsonObject view{{"name", student.name},           {"total", int(student.order.size())},
                     {"score", student.score},         {"maximum", student.maximum()},
                     {"finished", student.finished()}, {"ended", m_ended}};
    if (student.finished()) {
        view.insert("winner", student.score == student.maximum());
        return view;
    }
    const QuestionRecord &question = m_questions[student.order[student.position]];
    QJsonArray answers;
    for (int slot : student.buttons[student.position])
        answers.append(question.answers[slot]);
    view.insert("number", int(student.position + 1));
    view.insert("try", student.firstchoice >= 0 ? 2 : 1);
    view.insert("disabled", student.firstchoice);
    view.insert("question", question.question);
    view.insert("answers", answers);
    return view;
}

int Session::busiestquestion() const
{
    QHash<int, int> on;
    int busiest = 0;
    for (const Student &student : m_students) {
        if (student.finished())
            continue;
        const int booknumber = student.order[student.position];
        if (++on[booknumber] > on.value(busiest))
            busiest = booknumber;
    }
    return busiest;
}

std::array<int, 4> Session::choices(int booknumber) const
{
    return m_choices.value(booknumber, {});
}

const QuestionRecord &Session::question(int booknumber) const
{
    return m_questions[booknumber];
}

results::Attempt Session::attempt(const Student &student) const
{
    results::Attempt attempt;
    attempt.bookhash = results::bookhash(m_questions, true);
    attempt.bookpath = m_bookpath;
    attempt.category = m_header.category;
    attempt.taker = student.name;
    attempt.started = student.started;
    attempt.ended = student.ended.isValid() ? student.ended : QDateTime::currentDateTime();
    attempt.options = m_options;
    attempt.score = student.score;
    attempt.maximum = student.maximum();
    attempt.finished = student.finished();
    attempt.answers = student.answers;
    if (!student.finished()) {
        // The question on show when the class ended was asked and not answered.
        const int booknumber = student.order[student.position];
        results::Answer &skipped = attempt.answers.emplace_back();
        skipped.question = booknumber;
        skipped.questionhash = results::questionhash(m_questions[booknumber]);
        if (student.firstchoice >= 0)
            skipped.first = letter(student.buttons[student.position][student.firstchoice]);
        skipped.seconds = double(m_clock.elapsed() - student.shownms) / 1000.0;
    }
    return attempt;
}

std::vector<results::Attempt> Session::end()
{
    std::vector<results::Attempt> attempts;
    if (m_ended)
        return attempts;
    m_ended = true;
    for (Student &student : m_students) {
        attempts.push_back(attempt(student));
        if (m_sink && !student.handedover)
            m_sink(attempts.back());
        student.handedover = m_sink != nullptr;
    }
    emit classended();
    return attempts;
}

} // namespace classroom

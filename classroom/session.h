#pragma once

#include "results/attempt.h"
#include "storage/qbook.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <deque>
#include <functional>
#include <vector>

// A class taking one book together: the join code, the students with their own question
// order, and the judging of every answer. The right answer of a question is told to a student
// only once their last try at it is used.
namespace classroom {

// Beyond this many students the class is full.
inline constexpr int maxstudents = 500;
inline constexpr int maxnamelength = 40;
// Wrong codes from one address within a minute before it must wait.
inline constexpr int maxwrongcodes = 5;
inline constexpr qint64 wrongcodewindowms = 60 * 1000;

struct Student
{
    QString name;
    QByteArray token;
    QList<int> order;          // book numbers in asking order
    QList<QList<int>> buttons; // per position: the book slot (0 to 3) on each button
    qsizetype position = 0;    // the question on show; order.size() when finished
    int firstchoice = -1;      // the button of a wrong first try at the question on show
    int score = 0;
    QDateTime started;
    QDateTime ended;
    qint64 shownms = 0; // when the question on show came, on the class's clock
    std::vector<results::Answer> answers;
    bool handedover = false; // its attempt went to the sink

    [[nodiscard]] bool finished() const { return position >= order.size(); }
    [[nodiscard]] int maximum() const { return int(order.size()) * 10; }
};

enum class JoinResult { Joined, WrongCode, Waiting, Full, BadName, Ended };
enum class Verdict { Right, TryAgain, Wrong, NotNow, Ended };

struct Judged
{
    Verdict verdict = Verdict::NotNow;
    int points = 0;
    QString right; // the right answer's text, only once the last try is used
};

class Session final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Session)

public:
    // questions as the working state holds them: index 0 unused, the book's at 1..N.
    Session(const QString &bookpath, const QBookHeader &header,
            const QList<QuestionRecord> &questions, QObject *parent = nullptr);

    [[nodiscard]] QString code() const { return m_code; }
    // The questions a student is offered: the sound ones.
    [[nodiscard]] int questioncount() const { return int(m_sound.size()); }

    [[nodiscard]] results::Options options() const { return m_options; }
    // Options can change until the first student joins; false after.
    bool setoptions(const results::Options &options);
    [[nodiscard]] bool started() const { return !m_students.empty(); }

    // Where the attempts go: each student's as they finish, the others' when the class ends.
    void setsink(std::function<void(const results::Attempt &)> sink) { m_sink = std::move(sink); }

    // Joins a student; on Joined, *token is theirs. address names the asker for the rate limit.
    JoinResult join(const QString &code, const QString &name, const QString &address,
                    QByteArray *token);
    // Judges the answer on button choice to question number (from 1) at try (1 or 2): only the
    // question and try on show count, so a repeated request changes nothing.
    Judged answer(const QByteArray &token, int number, int attempt, int choice);

    [[nodiscard]] const Student *student(const QByteArray &token) const;
    [[nodiscard]] const std::deque<Student> &students() const { return m_students; }
    // What the student's page shows now; never the right answer.
    [[nodiscard]] QJsonObject view(const Student &student) const;

    // The book number most students are on, 0 when none is on one, and how many chose each
    // of its slots at their first try.
    [[nodiscard]] int busiestquestion() const;
    [[nodiscard]] std::array<int, 4> choices(int booknumber) const;
    [[nodiscard]] const QuestionRecord &question(int booknumber) const;

    // Stops answers and hands the attempts not yet handed over to the sink; returns every
    // student's. Once only.
    std::vector<results::Attempt> end();
    [[nodiscard]] bool ended() const { return m_ended; }

signals:
    void joined(int index);
    void advanced(int index);
    void finished(int index);
    void choiceschanged();
    void classended();

private:
    [[nodiscard]] bool waiting(const QString &address);
    void startquestion(Student &student);
    void record(Student &student, int index, char first, char second, results::Outcome outcome);
    [[nodiscard]] results::Attempt attempt(const Student &student) const;

    QString m_bookpath;
    QBookHeader m_header;
    QList<QuestionRecord> m_questions;
    QList<int> m_sound;
    QString m_code;
    results::Options m_options;
    std::function<void(const results::Attempt &)> m_sink;
    std::deque<Student> m_students;
    QHash<QByteArray, qsizetype> m_bytoken;
    QHash<QString, QList<qint64>> m_wrongcodes;
    QHash<int, std::array<int, 4>> m_choices;
    QElapsedTimer m_clock;
    bool m_ended = false;
};

} // namespace classroom

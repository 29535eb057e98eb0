#pragma once

#include <QString>
#include <QStringList>

// Every setting the program keeps, with its key, its default and how its text is read and
// written. Values are stored at once, at every change; nothing else names a key.
class QuizSettings final
{
public:
    QuizSettings() = delete;

    // The practice options of a run, each "True" or "False"; only a stored "True" (any letter
    // case) turns one on, so they are off when nothing is stored.
    enum class Practice { ShuffleQuestions, ShuffleAnswers, ReviewMissed };
    [[nodiscard]] static bool practice(Practice option);
    static void setpractice(Practice option, bool on);

    // One Chance: true and false in any letter case, or a number where 0 is false; on when
    // nothing or anything else is stored.
    [[nodiscard]] static bool onechance();
    static void setonechance(bool on);

    // Whether the results of each run are kept; on when nothing is stored.
    [[nodiscard]] static bool keepresults();
    static void setkeepresults(bool on);

    // The recent books as stored, newest first: at most recentlimit paths, gaps and repeats of
    // a hand-edited store left out.
    static constexpr int recentlimit = 8;
    [[nodiscard]] static QStringList recentbooks();
    // Every slot is written, so that a shorter list leaves no stale entry behind.
    static void setrecentbooks(const QStringList &list);
};

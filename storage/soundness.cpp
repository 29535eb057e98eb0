#include "storage/soundness.h"

#include <algorithm>

namespace qbook {

int filledanswers(const QuestionRecord &record)
{
    return static_cast<int>(std::count_if(record.answers.begin(), record.answers.end(),
                                          [](const QString &a) { return filled(a); }));
}

Unsound soundness(const QuestionRecord &record)
{
    if (record.question.isEmpty())
        return Unsound::EmptyQuestion;
    return answersoundness(record);
}

Unsound answersoundness(const QuestionRecord &record)
{
    if (filledanswers(record) < 2)
        return Unsound::TooFewAnswers;
    if (record.correct < 1 || record.correct > 4)
        return Unsound::NoRightAnswer;
    if (!filled(record.answers[record.correct - 1]))
        return Unsound::RightAnswerEmpty;
    return Unsound::None;
}

QString unsoundreason(Unsound why, int correct)
{
    switch (why) {
    case Unsound::None:
        break;
    case Unsound::EmptyQuestion:
        return QStringLiteral("question text is empty");
    case Unsound::TooFewAnswers:
        return QStringLiteral("fewer than two answers are filled");
    case Unsound::NoRightAnswer:
        return QStringLiteral("right answer is %1, not 1 to 4").arg(correct);
    case Unsound::RightAnswerEmpty:
        return QStringLiteral("right answer %1 names an empty answer slot").arg(correct);
    }
    return {};
}

} // namespace qbook

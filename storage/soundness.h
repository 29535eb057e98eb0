#pragma once

#include "storage/qbook.h"

#include <QString>

// What makes a question sound, for every part of the program that makes, runs, shuffles,
// checks, imports, exports or prints one: a question text, at least two filled answers, and a
// right answer (1 to 4) that names a filled slot. Empty slots may stand anywhere; the letters of
// the filled ones never change.
namespace qbook {

enum class Unsound {
    None,
    EmptyQuestion,
    TooFewAnswers,   // fewer than two filled answer slots
    NoRightAnswer,   // correct is not 1 to 4
    RightAnswerEmpty // correct names an empty slot
};

// An answer slot counts as filled when it holds any text at all, as the editor's boxes do.
[[nodiscard]] inline bool filled(const QString &answer)
{
    return !answer.isEmpty();
}

[[nodiscard]] int filledanswers(const QuestionRecord &record);

// The first rule the question breaks, in the order of the enum; None for a sound question.
[[nodiscard]] Unsound soundness(const QuestionRecord &record);

// The rule for the answers alone, the text aside: for writers that judge an empty text by
// what their format can hold.
[[nodiscard]] Unsound answersoundness(const QuestionRecord &record);

[[nodiscard]] inline bool issound(const QuestionRecord &record)
{
    return soundness(record) == Unsound::None;
}

// The reason in words, for reports and messages ("right answer 3 names an empty answer slot").
[[nodiscard]] QString unsoundreason(Unsound why, int correct);

} // namespace qbook

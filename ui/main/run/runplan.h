#pragma once

#include "storage/qbook.h"

#include <QList>

#include <array>
#include <functional>

// How one run asks its questions: which questions of the book, in which order, and which of a
// question's answers stands on each button. The book itself never changes.
namespace runplan {

// A whole number from 0 up to, not including, bound. Tests pass a seeded one.
using RandomSource = std::function<int(int bound)>;

// The program's own source, seeded by the system.
[[nodiscard]] RandomSource systemrandom();

struct Plan
{
    // Book numbers of the questions, in asking order.
    QList<int> order;
    // For each position: answerorder[i] is the book answer (0 to 3) shown on button i. Empty
    // when the answers stand as in the book.
    QList<std::array<int, 4>> answerorder;
    // A second go at missed questions: scored out of 10 for each of its own questions.
    bool review = false;
};

// Puts the list in a random order: every order equally likely.
void shuffle(QList<int> &list, const RandomSource &random);

[[nodiscard]] Plan make(QList<int> booknumbers, bool shufflequestions, bool shuffleanswers,
                        const RandomSource &random);

// The question as the run shows it: answers moved to their buttons, the filled ones first, and
// the number of the right answer moved with its text. A number outside 1 to 4 stays as it is.
// The book answer (0 to 3) on each button as arrange() places them.
[[nodiscard]] std::array<int, 4> placed(const QuestionRecord &question,
                                        std::array<int, 4> answerorder);
[[nodiscard]] QuestionRecord arrange(const QuestionRecord &question,
                                     std::array<int, 4> answerorder);

} // namespace runplan

#include "ui/main/run/runplan.h"

#include "storage/soundness.h"

#include <QRandomGenerator>

#include <algorithm>

#include <utility>

namespace runplan {

RandomSource systemrandom()
{
    return [](int bound) { return int(QRandomGenerator::global()->bounded(bound)); };
}

void shuffle(QList<int> &list, const RandomSource &random)
{
    // Fisher and Yates: each place in turn, from the end, takes one of the items not yet placed.
    for (qsizetype i = list.size() - 1; i > 0; --i) {
        const int j = random(int(i) + 1);
        std::swap(list[i], list[j]);
    }
}

Plan make(QList<int> booknumbers, bool shufflequestions, bool shuffleanswers,
          const RandomSource &random)
{
    Plan plan;
    if (shufflequestions)
        shuffle(booknumbers, random);
    plan.order = std::move(booknumbers);
    if (!shuffleanswers)
        return plan;
    plan.answerorder.reserve(plan.order.size());
    for (qsizetype k = 0; k < plan.order.size(); ++k) {
        QList<int> answers{0, 1, 2, 3};
        shuffle(answers, random);
        plan.answerorder.append({answers[0], answers[1], answers[2], answers[3]});
    }
    return plan;
}

std::array<int, 4> placed(const QuestionRecord &question, std::array<int, 4> answerorder)
{
    // The filled answers take the first buttons, in their shuffled order.
    std::stable_partition(answerorder.begin(), answerorder.end(),
                          [&](int answer) { return qbook::filled(question.answers[answer]); });
    return answerorder;
}

QuestionRecord arrange(const QuestionRecord &question, std::array<int, 4> answerorder)
{
    answerorder = placed(question, answerorder);
    QuestionRecord shown = question;
    for (int i = 0; i < 4; ++i) {
        shown.answers[i] = question.answers[answerorder[i]];
        if (question.correct == answerorder[i] + 1)
            shown.correct = quint8(i + 1);
    }
    return shown;
}

} // namespace runplan

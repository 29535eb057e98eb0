#include "results/statistics.h"

#include <cmath>

namespace results {

namespace {

// The variance over a whole population from its count, sum and sum of squares.
double variance(double n, double sum, double squares)
{
    return n > 0 ? (squares - sum * sum / n) / n : 0;
}

} // namespace

double itemscore(Outcome outcome)
{
    switch (outcome) {
    case Outcome::RightFirst:
        return 1;
    case Outcome::RightSecond:
        return 0.5;
    case Outcome::Wrong:
    case Outcome::Skipped:
        break;
    }
    return 0;
}

QuestionFigures figures(const QuestionCounts &counts)
{
    QuestionFigures result;
    if (counts.asked > 0) {
        result.facility = 100.0 * counts.rightfirst / counts.asked;
        result.rightpercent = 100.0 * counts.rightatall / counts.asked;
        result.meanseconds = counts.seconds / counts.asked;
    }
    for (int letter = 0; letter < 4; ++letter) {
        if (counts.wrongchosen[letter] > result.mostwrongcount) {
            result.mostwrongcount = counts.wrongchosen[letter];
            result.mostwrong = char('A' + letter);
        }
    }
    const double n = counts.n;
    const double spread =
        (n * counts.sxx - counts.sx * counts.sx) * (n * counts.syy - counts.sy * counts.sy);
    // Rounding leaves a tiny spread where there is none.
    if (spread > 1e-9)
        result.discrimination = (n * counts.sxy - counts.sx * counts.sy) / std::sqrt(spread);
    return result;
}

std::optional<double> cronbachalpha(const std::vector<QuestionCounts> &questions,
                                    const TotalSums &totals)
{
    const double k = double(questions.size());
    const double total = variance(totals.n, totals.st, totals.stt);
    if (k < 2 || total <= 1e-12)
        return std::nullopt;
    double items = 0;
    for (const QuestionCounts &question : questions)
        items += variance(question.n, question.sx, question.sxx);
    return k / (k - 1) * (1 - items / total);
}

std::vector<QuestionCounts> itemsums(const std::vector<std::vector<double>> &scores,
                                     TotalSums &totals)
{
    totals = {};
    std::vector<QuestionCounts> questions(scores.empty() ? 0 : scores.front().size());
    for (const std::vector<double> &row : scores) {
        double t = 0;
        for (double x : row)
            t += x;
        totals.n += 1;
        totals.st += t;
        totals.stt += t * t;
        for (size_t q = 0; q < questions.size() && q < row.size(); ++q)
            questions[q].addpair(row[q], t - row[q]);
    }
    return questions;
}

} // namespace results

#pragma once

#include "results/attempt.h"

#include <array>
#include <optional>
#include <vector>

// The figures of a book's questions and of the test as a whole, from counts and sums that the
// store adds up in one pass over the answers.
namespace results {

// What one asked question is worth in the figures: 1 right at the first try, 1/2 at the second,
// 0 wrong or skipped (the run's 10 and 5 points, over 10).
[[nodiscard]] double itemscore(Outcome outcome);

// One question over the attempts that asked it.
struct QuestionCounts
{
    int asked = 0;
    int rightfirst = 0;
    int rightatall = 0;
    double seconds = 0; // in all
    // How often each book letter was chosen, at a first or second try, and how often wrongly.
    std::array<int, 4> chosen{};
    std::array<int, 4> wrongchosen{};
    // Over the finished whole-book attempts: x the question's score, y the rest of the test.
    double n = 0, sx = 0, sxx = 0, sy = 0, syy = 0, sxy = 0;
    // Counts one attempt whose question scored x and the rest of the test y.
    void addpair(double x, double y)
    {
        n += 1;
        sx += x;
        sxx += x * x;
        sy += y;
        syy += y * y;
        sxy += x * y;
    }
};

// The test's total score t over the finished whole-book attempts.
struct TotalSums
{
    double n = 0, st = 0, stt = 0;
};

struct QuestionFigures
{
    double facility = 0;     // percent right at the first try
    double rightpercent = 0; // percent right at all
    double meanseconds = 0;
    char mostwrong = 0; // the wrong letter chosen most, 0 when none was
    int mostwrongcount = 0;
    // The correlation of the question's score with the rest of the test; none when either
    // does not vary.
    std::optional<double> discrimination;
};

[[nodiscard]] QuestionFigures figures(const QuestionCounts &counts);

// Cronbach's alpha: k/(k-1) (1 - sum of the questions' variances / variance of the total).
// None for fewer than two questions or a total that does not vary.
[[nodiscard]] std::optional<double> cronbachalpha(const std::vector<QuestionCounts> &questions,
                                                  const TotalSums &totals);

// The sums of a table of item scores, one row per attempt and one column per question.
[[nodiscard]] std::vector<QuestionCounts> itemsums(const std::vector<std::vector<double>> &scores,
                                                   TotalSums &totals);

} // namespace results

#pragma once

#include "results/statistics.h"
#include "results/store.h"
#include "storage/qbook.h"

#include <QDialog>

#include <optional>

class QChartView;
class QLabel;
class QPushButton;
class QTableView;
class QTableWidget;

// The Results window: the attempts at one book with their percent over time, and the figures
// of its questions. It can send the questions missed most to another go.
class frmresults final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmresults)

public:
    // The questions of the book as the program holds them: index 0 unused.
    frmresults(QWidget *parent, const QString &bookpath, const QList<QuestionRecord> &questions);

    // Tools > Results: for the book open (questions loaded) or, when none is, a book the user
    // chooses. The book numbers to practise when the user asked for it.
    struct Practice
    {
        QString path;
        QList<int> questions;
    };
    static std::optional<Practice> showfor(QWidget *parent, const QString &bookpath,
                                           const QList<QuestionRecord> &questions);

    void cmdpractise_Click();
    void cmdexport_Click();
    // The questions Practise These takes: those selected, or the ten missed most.
    [[nodiscard]] QList<int> practicequestions() const;
    [[nodiscard]] std::optional<Practice> practice() const { return m_practice; }
    // The two tables as one CSV text, with a byte-order mark.
    [[nodiscard]] QByteArray csv() const;
    [[nodiscard]] int attemptcount() const { return int(m_attempts.size()); }

    QTableView *grdattempts = nullptr;
    QTableWidget *grdquestions = nullptr;
    QChartView *chtpercent = nullptr;
    QLabel *labsummary = nullptr;
    QPushButton *cmdpractise = nullptr;
    QPushButton *cmdexport = nullptr;
    QPushButton *cmdclose = nullptr;

private:
    void fillattempts();
    void fillchart();
    void fillquestions();

    QString m_path;
    QList<QuestionRecord> m_book;
    std::vector<results::AttemptRow> m_attempts;
    std::vector<results::QuestionRow> m_questions;
    std::optional<double> m_alpha;
    bool m_several = false;
    std::optional<Practice> m_practice;
};

#include "ui/results/frmresults.h"

#include "platform/filedialog.h"
#include "platform/files.h"
#include "platform/msgbox.h"
#include "results/attempt.h"
#include "storage/modquiz.h"

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QMap>
#include <QPushButton>
#include <QSet>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace {

QString optionsname(const results::Options &options)
{
    QStringList names;
    if (options.onechance)
        names << QStringLiteral("One Chance");
    if (options.shufflequestions)
        names << QStringLiteral("Shuffle Questions");
    if (options.shuffleanswers)
        names << QStringLiteral("Shuffle Answers");
    if (options.review)
        names << QStringLiteral("Review");
    return names.join(QStringLiteral(", "));
}

double percent(int score, int maximum)
{
    return maximum > 0 ? 100.0 * score / maximum : 0;
}

// Cells sort by their value: numbers as numbers, dates as dates.
QTableWidgetItem *cell(const QVariant &value)
{
    auto *item = new QTableWidgetItem;
    item->setData(Qt::DisplayRole, value);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

QVariant rounded(double value)
{
    return qRound(value * 10) / 10.0;
}

QTableWidget *table(QWidget *parent, const char *name, const QStringList &headers)
{
    auto *grid = new QTableWidget(0, int(headers.size()), parent);
    grid->setObjectName(QLatin1String(name));
    grid->setHorizontalHeaderLabels(headers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

// A spreadsheet takes a text cell starting with one of these for a formula: it goes out behind
// an apostrophe. Numbers stay numbers.
QString csvcell(const QString &text)
{
    bool number = false;
    text.toDouble(&number);
    QString field = text;
    if (!number && !text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text.front()))
        field.prepend(u'\'');
    if (field.contains(u',') || field.contains(u'"') || field.contains(u'\n') ||
        field.contains(u'\r'))
        field = u'"' + field.replace(u'"', QStringLiteral("\"\"")) + u'"';
    return field;
}

void appendtable(QString &out, const QTableWidget *grid)
{
    QStringList row;
    for (int column = 0; column < grid->columnCount(); ++column)
        row << csvcell(grid->horizontalHeaderItem(column)->text());
    out += row.join(u',') + QStringLiteral("\r\n");
    for (int r = 0; r < grid->rowCount(); ++r) {
        row.clear();
        for (int column = 0; column < grid->columnCount(); ++column) {
            const QTableWidgetItem *item = grid->item(r, column);
            const QVariant value = item ? item->data(Qt::DisplayRole) : QVariant();
            row << csvcell(value.typeId() == QMetaType::QDateTime
                               ? value.toDateTime().toString(Qt::ISODate)
                               : value.toString());
        }
        out += row.join(u',') + QStringLiteral("\r\n");
    }
}

} // namespace

frmresults::frmresults(QWidget *parent, const QString &bookpath,
                       const QList<QuestionRecord> &questions)
    : QDialog(parent), m_path(bookpath), m_book(questions)
{
    setObjectName(QStringLiteral("frmresults"));
    setWindowTitle(QStringLiteral("Results - ") + QFileInfo(bookpath).fileName());
    resize(900, 640);

    const QByteArray hash = results::bookhash(m_book, true);
    results::Store store;
    m_attempts = store.attempts(hash);
    m_questions = store.questions(hash);
    QSet<QString> takers;
    for (const results::AttemptRow &attempt : m_attempts)
        takers.insert(attempt.taker);
    m_several = takers.size() > 1;
    if (m_several) {
        std::vector<results::QuestionCounts> counts;
        for (const results::QuestionRow &row : m_questions)
            counts.push_back(row.counts);
        m_alpha = results::cronbachalpha(counts, store.totals(hash));
    }

    grdattempts = table(this, "grdattempts",
                        {QStringLiteral("Date"), QStringLiteral("Who"), QStringLiteral("Score"),
                         QStringLiteral("Percent"), QStringLiteral("Options")});
    QStringList headers{QStringLiteral("No."),
                        QStringLiteral("Asked"),
                        QStringLiteral("Facility %"),
                        QStringLiteral("Right %"),
                        QStringLiteral("Most chosen wrong"),
                        QStringLiteral("Mean seconds")};
    if (m_several)
        headers << QStringLiteral("Discrimination") << QStringLiteral("A") << QStringLiteral("B")
                << QStringLiteral("C") << QStringLiteral("D");
    headers << QStringLiteral("Question");
    grdquestions = table(this, "grdquestions", headers);

    chtpercent = new QChartView(this);
    chtpercent->setObjectName(QStringLiteral("chtpercent"));
    chtpercent->setRenderHint(QPainter::Antialiasing);
    chtpercent->setMinimumSize(320, 220);

    labsummary = new QLabel(this);
    labsummary->setObjectName(QStringLiteral("labsummary"));

    cmdpractise = new QPushButton(QStringLiteral("&Practise These"), this);
    cmdpractise->setObjectName(QStringLiteral("cmdpractise"));
    cmdexport = new QPushButton(QStringLiteral("&Export..."), this);
    cmdexport->setObjectName(QStringLiteral("cmdexport"));
    cmdclose = new QPushButton(QStringLiteral("&Close"), this);
    cmdclose->setObjectName(QStringLiteral("cmdclose"));
    connect(cmdpractise, &QPushButton::clicked, this, &frmresults::cmdpractise_Click);
    connect(cmdexport, &QPushButton::clicked, this, &frmresults::cmdexport_Click);
    connect(cmdclose, &QPushButton::clicked, this, &QDialog::reject);

    auto *top = new QSplitter(Qt::Horizontal);
    top->addWidget(grdattempts);
    top->addWidget(chtpercent);
    auto *split = new QSplitter(Qt::Vertical);
    split->addWidget(top);
    split->addWidget(grdquestions);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(labsummary, 1);
    buttons->addWidget(cmdpractise);
    buttons->addWidget(cmdexport);
    buttons->addWidget(cmdclose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);

    fillattempts();
    fillchart();
    fillquestions();
    cmdpractise->setEnabled(!practicequestions().isEmpty());
}

void frmresults::fillattempts()
{
    grdattempts->setSortingEnabled(false);
    grdattempts->setRowCount(int(m_attempts.size()));
    for (int row = 0; row < int(m_attempts.size()); ++row) {
        const results::AttemptRow &attempt = m_attempts[size_t(row)];
        grdattempts->setItem(row, 0, cell(attempt.started));
        grdattempts->setItem(row, 1, cell(attempt.taker));
        grdattempts->setItem(row, 2, cell(attempt.score));
        grdattempts->setItem(row, 3, cell(rounded(percent(attempt.score, attempt.maximum))));
        grdattempts->setItem(
            row, 4,
            cell(optionsname(attempt.options) +
                 (attempt.finished ? QString() : QStringLiteral(" (given up)")).trimmed()));
    }
    grdattempts->setSortingEnabled(true);
    grdattempts->resizeColumnsToContents();
    labsummary->setText(
        QStringLiteral("%1 attempts").arg(m_attempts.size()) +
        (m_alpha ? QStringLiteral(", Cronbach's alpha %1").arg(*m_alpha, 0, 'f', 2) : QString()));
}

void frmresults::fillchart()
{
    auto *chart = new QChart;
    chart->setTitle(QStringLiteral("Percent over time"));
    auto *time = new QDateTimeAxis;
    time->setFormat(QStringLiteral("yyyy-MM-dd"));
    auto *value = new QValueAxis;
    value->setRange(0, 100);
    value->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(value, Qt::AlignLeft);
    QMap<QString, QLineSeries *> lines;
    for (const results::AttemptRow &attempt : m_attempts) {
        QLineSeries *&line = lines[attempt.taker];
        if (!line) {
            line = new QLineSeries;
            line->setName(attempt.taker);
            line->setPointsVisible(true);
        }
        line->append(double(attempt.started.toMSecsSinceEpoch()),
                     percent(attempt.score, attempt.maximum));
    }
    for (QLineSeries *line : std::as_const(lines)) {
        chart->addSeries(line);
        line->attachAxis(time);
        line->attachAxis(value);
    }
    if (!m_attempts.empty()) {
        const QDateTime first = m_attempts.front().started, last = m_attempts.back().started;
        time->setRange(first.addSecs(-3600), std::max(last, first).addSecs(3600));
    }
    chart->legend()->setVisible(lines.size() > 1);
    chtpercent->setChart(chart);
}

void frmresults::fillquestions()
{
    // The texts of the book, by question hash, for questions asked under another number.
    QHash<QByteArray, int> numbers;
    for (int k = 1; k < m_book.size(); ++k)
        numbers.insert(results::questionhash(m_book[k]), k);
    grdquestions->setSortingEnabled(false);
    grdquestions->setRowCount(int(m_questions.size()));
    for (int row = 0; row < int(m_questions.size()); ++row) {
        const results::QuestionRow &question = m_questions[size_t(row)];
        const results::QuestionFigures figures = results::figures(question.counts);
        int column = 0;
        const auto add = [&](const QVariant &value) {
            grdquestions->setItem(row, column++, cell(value));
        };
        add(question.number);
        add(question.counts.asked);
        add(rounded(figures.facility));
        add(rounded(figures.rightpercent));
        add(figures.mostwrong ? QStringLiteral("%1 (%2)")
                                    .arg(QChar(figures.mostwrong))
                                    .arg(figures.mostwrongcount)
                              : QString());
        add(rounded(figures.meanseconds));
        if (m_several) {
            add(figures.discrimination ? QVariant(qRound(*figures.discrimination * 100) / 100.0)
                                       : QVariant(QString()));
            for (int count : question.counts.chosen)
                add(count);
        }
        const int number = numbers.value(question.questionhash, 0);
        add(number > 0 ? m_book[number].question : QStringLiteral("(no longer in the book)"));
    }
    grdquestions->setSortingEnabled(true);
    grdquestions->resizeColumnsToContents();
}

QList<int> frmresults::practicequestions() const
{
    QHash<QByteArray, int> numbers;
    for (int k = 1; k < m_book.size(); ++k)
        numbers.insert(results::questionhash(m_book[k]), k);
    QList<int> chosen;
    const auto take = [&](const results::QuestionRow &row) {
        const int number = numbers.value(row.questionhash, 0);
        if (number > 0 && !chosen.contains(number))
            chosen.append(number);
    };
    const QModelIndexList selected = grdquestions->selectionModel()->selectedRows();
    for (const QModelIndex &index : selected) {
        const int number = grdquestions->item(index.row(), 0)->data(Qt::DisplayRole).toInt();
        for (const results::QuestionRow &row : m_questions)
            if (row.number == number)
                take(row);
    }
    if (!chosen.isEmpty())
        return chosen;
    // The ten missed most: the fewest right at all, then at the first try.
    std::vector<const results::QuestionRow *> order;
    for (const results::QuestionRow &row : m_questions)
        if (row.counts.rightfirst < row.counts.asked)
            order.push_back(&row);
    std::stable_sort(order.begin(), order.end(), [](const auto *a, const auto *b) {
        const results::QuestionFigures x = results::figures(a->counts),
                                       y = results::figures(b->counts);
        return std::pair(x.rightpercent, x.facility) < std::pair(y.rightpercent, y.facility);
    });
    for (const results::QuestionRow *row : order) {
        if (chosen.size() == 10)
            break;
        take(*row);
    }
    return chosen;
}

void frmresults::cmdpractise_Click()
{
    const QList<int> chosen = practicequestions();
    if (chosen.isEmpty())
        return;
    m_practice = Practice{m_path, chosen};
    accept();
}

QByteArray frmresults::csv() const
{
    QString out;
    appendtable(out, grdattempts);
    out += QStringLiteral("\r\n");
    appendtable(out, grdquestions);
    return QByteArrayLiteral("\xEF\xBB\xBF") + out.toUtf8();
}

void frmresults::cmdexport_Click()
{
    const QString title = QStringLiteral("Export Results");
    const QString csvfilter = QStringLiteral("CSV files (*.csv)");
    const QString pngfilter = QStringLiteral("PNG images of the chart (*.png)");
    const QFileInfo book(m_path);
    const platform::FileChoice target = platform::askfile(
        {platform::FileMode::Save,
         title,
         book.absoluteDir().filePath(book.completeBaseName() + QStringLiteral("-results.csv")),
         {csvfilter, pngfilter},
         csvfilter});
    if (target.path.isEmpty())
        return;
    const bool png = target.filter == pngfilter ||
                     target.path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
    QString path = target.path;
    const QString suffix = png ? QStringLiteral(".png") : QStringLiteral(".csv");
    if (!path.endsWith(suffix, Qt::CaseInsensitive))
        path += suffix;
    QByteArray bytes;
    if (png) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        chtpercent->grab().save(&buffer, "PNG");
    } else {
        bytes = csv();
    }
    QString why;
    if (platform::replacefile(path, bytes, platform::LinkHandling::WriteTarget, &why) !=
        platform::ReplaceResult::Ok)
        platform::msgbox(QStringLiteral("Cannot write %1: %2").arg(QFileInfo(path).fileName(), why),
                         platform::Buttons::Ok, title);
}

std::optional<frmresults::Practice> frmresults::showfor(QWidget *parent, const QString &bookpath,
                                                        const QList<QuestionRecord> &questions)
{
    QString path = bookpath;
    QList<QuestionRecord> book = questions;
    if (book.isEmpty()) {
        const QString filter = QStringLiteral("Quiz books (*.Q)");
        path =
            platform::askfile(
                {platform::FileMode::Open, QStringLiteral("Results"), QString(), {filter}, filter})
                .path;
        if (path.isEmpty())
            return std::nullopt;
        QString why;
        const std::optional<modquiz::BookFile> file = modquiz::readbookfile(path, &why);
        if (!file || file->header.magic != QLatin1String(qbook::magicmark)) {
            platform::msgbox(QStringLiteral("Error : Invalid file type"));
            return std::nullopt;
        }
        book = file->questions;
    }
    frmresults window(parent, path, book);
    platform::showmodal(&window);
    return window.practice();
}

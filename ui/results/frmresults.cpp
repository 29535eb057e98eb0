#include "ui/results/frmresults.h"

#include "platform/filedialog.h"
#include "platform/files.h"
#include "platform/msgbox.h"
#include "results/attempt.h"
#include "storage/modquiz.h"
#include "ui/dialogs/bookchooser.h"

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
#include <QSortFilterProxyModel>
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
    // Column widths from the first rows: measuring 10,000 would take longer than the rest.
    grid->horizontalHeader()->setResizeContentsPrecision(200);
    return grid;
}

// A table as its view shows it, in its sort order.
void appendtable(QString &out, const QAbstractItemModel *grid)
{
    QStringList row;
    for (int column = 0; column < grid->columnCount(); ++column)
        row << results::csvcell(grid->headerData(column, Qt::Horizontal).toString());
    out += row.join(u',') + QStringLiteral("\r\n");
    for (int r = 0; r < grid->rowCount(); ++r) {
        row.clear();
        for (int column = 0; column < grid->columnCount(); ++column) {
            const QVariant value = grid->index(r, column).data();
            row << results::csvcell(value.typeId() == QMetaType::QDateTime
                                        ? value.toDateTime().toString(Qt::ISODate)
                                        : value.toString());
        }
        out += row.join(u',') + QStringLiteral("\r\n");
    }
}

// The attempts, as they are: a table widget's item per cell would take a second for 10,000.
class AttemptModel final : public QAbstractTableModel
{
public:
    AttemptModel(const std::vector<results::AttemptRow> &attempts, QObject *parent)
        : QAbstractTableModel(parent), m_attempts(attempts)
    {}
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_attempts.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : 5;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char *const names[] = {"Date", "Who", "Score", "Percent", "Options"};
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section > 4)
            return {};
        return QString::fromLatin1(names[section]);
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const results::AttemptRow &attempt = m_attempts[size_t(index.row())];
        switch (index.column()) {
        case 0:
            return attempt.started.toLocalTime();
        case 1:
            return attempt.taker;
        case 2:
            return attempt.score;
        case 3:
            return rounded(percent(attempt.score, attempt.maximum));
        default:
            return (optionsname(attempt.options) +
                    (attempt.finished ? QString() : QStringLiteral(" (given up)")))
                .trimmed();
        }
    }

private:
    const std::vector<results::AttemptRow> &m_attempts;
};

} // namespace

frmresults::frmresults(QWidget *parent, const QString &bookpath,
                       const QList<QuestionRecord> &questions)
    : QDialog(parent), m_path(bookpath), m_book(questions)
{
    setObjectName(QStringLiteral("frmresults"));
    setWindowTitle(QStringLiteral("Results - ") + QFileInfo(bookpath).fileName());
    resize(1040, 680);

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

    grdattempts = new QTableView(this);
    grdattempts->setObjectName(QStringLiteral("grdattempts"));
    grdattempts->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdattempts->verticalHeader()->hide();
    grdattempts->horizontalHeader()->setStretchLastSection(true);
    grdattempts->horizontalHeader()->setResizeContentsPrecision(200);
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
    top->setSizes({560, 480});
    auto *split = new QSplitter(Qt::Vertical);
    split->addWidget(top);
    split->addWidget(grdquestions);
    split->setSizes({300, 340});
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
    auto *sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(new AttemptModel(m_attempts, this));
    grdattempts->setModel(sorted);
    // The store lists them oldest first: no sorting until the user asks for it.
    grdattempts->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
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
            line->setPointsVisible(m_attempts.size() <= 200);
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
        // A little room either side; hours and minutes when the attempts span a day or less.
        const QDateTime first = m_attempts.front().started, last = m_attempts.back().started;
        const qint64 span = std::max<qint64>(first.secsTo(last), 600);
        time->setRange(first.addSecs(-span / 20), last.addSecs(span / 20));
        if (span <= 86400)
            time->setFormat(span <= 3600 ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm"));
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
    grdquestions->sortByColumn(0, Qt::AscendingOrder);
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
    appendtable(out, grdattempts->model());
    out += QStringLiteral("\r\n");
    appendtable(out, grdquestions->model());
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
        // The image writer opens the buffer itself; the file is written below, as every file is.
        QBuffer buffer(&bytes);
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
        std::optional<ChosenBook> chosen = choosebook(parent);
        if (!chosen)
            return std::nullopt;
        path = chosen->path;
        book = std::move(chosen->file.questions);
    }
    frmresults window(parent, path, book);
    platform::showmodal(&window);
    return window.practice();
}

// Times the edit panel's operations on the largest book the format holds (32,766 questions):
// each must answer well inside one frame. Prints the median and the worst of many runs.
// Runs offscreen; not a test.

#include "storage/modquiz.h"
#include "storage/qbook.h"
#include "ui/main/edit/editpanel.h"
#include "ui/main/frmquiz.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int runs = 300;

QuestionRecord question(int n)
{
    QuestionRecord q;
    q.question = QStringLiteral("Question number %1: which of these answers is right?").arg(n);
    for (int i = 0; i < 4; ++i)
        q.answers[i] = QStringLiteral("Answer %1 of question %2").arg(i + 1).arg(n);
    q.correct = static_cast<quint8>(n % 4 + 1);
    return q;
}

// Runs prepare (untimed) and then op (timed) runs times; prints the figures.
void measure(const char *name, const std::function<void()> &prepare,
             const std::function<void()> &op)
{
    std::vector<double> ms;
    ms.reserve(runs);
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        prepare();
        timer.start();
        op();
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-34s median %8.4f ms   worst %8.4f ms\n", name, ms[ms.size() / 2], ms.back());
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("largest.Q"));
    QBookHeader header{QStringLiteral("Bench"), QStringLiteral("Bench"), QStringLiteral("QB"),
                       qbook::maxquestions};
    QByteArray bytes = qbook::encodeheader(header);
    for (int n = 1; n <= qbook::maxquestions; ++n)
        qbook::appendrecord(bytes, question(n));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 1;
    }

    frmquiz w;
    w.Form_Load({});
    auto &s = modquiz::state();
    s.qbpath = path;
    if (!modquiz::openbook() || !modquiz::loadbook())
        return 1;
    w.entereditpanel(s.qbheader.count);
    w.show();
    EditPanel &e = w.editpanel();
    const int middle = qbook::maxquestions / 2;
    auto goto_ = [&](int k) {
        s.curq = static_cast<qint16>(k);
        s.workq = s.questions[k];
        e.fillboxes();
    };
    auto nothing = [] {};

    std::printf("book of %d questions, %d runs each\n", modquiz::lastquestion(), runs);
    measure(
        "First", [&] { goto_(middle); }, [&] { e.cmdfirst_Click(); });
    measure(
        "Last", [&] { goto_(middle); }, [&] { e.cmdlast_Click(); });
    measure(
        "Next", [&] { goto_(middle); }, [&] { e.cmdnext_Click(); });
    measure(
        "Previous", [&] { goto_(middle); }, [&] { e.cmdprev_Click(); });
    measure("fillboxes", nothing, [&] { e.fillboxes(); });
    measure("readboxes", nothing, [&] { e.readboxes(); });
    measure(
        "Add on a shown question", [&] { goto_(middle); }, [&] { e.cmdadd_Click(); });
    measure(
        "Update in the middle", [&] { goto_(middle); }, [&] { e.cmdupdate_Click(); });
    measure(
        "Delete in the middle",
        [&] {
            if (modquiz::lastquestion() < qbook::maxquestions)
                e.undodelete();
            goto_(middle);
        },
        [&] { e.cmddelete_Click(); });
    if (modquiz::lastquestion() < qbook::maxquestions)
        e.undodelete();
    measure(
        "Undo Delete at the front",
        [&] {
            goto_(1);
            e.cmddelete_Click();
        },
        [&] { e.undodelete(); });

    if (modquiz::lastquestion() != qbook::maxquestions || s.questions[1] != question(1) ||
        s.questions[middle] != question(middle)) {
        std::printf("the book changed shape: %d questions\n", modquiz::lastquestion());
        return 1;
    }
    return 0;
}

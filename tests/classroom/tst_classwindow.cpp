// The Class window: ending keeps each attempt once, options fix at the first student, CSV is text.
#include "classroom/session.h"
#include "tests/support/testsupport.h"
#include "ui/classroom/frmclass.h"

#include <QCheckBox>
#include <QTest>

namespace {

std::unique_ptr<frmclass> openclass(std::vector<results::Attempt> *kept)
{
    return std::make_unique<frmclass>(
        QStringLiteral("book.Q"), makeheader(2), QList<QuestionRecord>{{}, makequestion(1, 2)},
        results::Options{}, [kept](const results::Attempt &a) { kept->push_back(a); },
        QHostAddress::LocalHost, 0);
}

QByteArray join(frmclass &window, const QString &name)
{
    QByteArray token;
    (void)window.session().join(window.session().code(), name, "10.0.0.1", &token);
    return token;
}

} // namespace

class tst_classwindow : public QObject
{
    Q_OBJECT

private slots:
    void closingEndsClassOnce();
    void optionsFixedOnceStudentJoins();
    void exportIsTextToSpreadsheets();
};

void tst_classwindow::closingEndsClassOnce()
{
    std::vector<results::Attempt> kept;
    auto window = openclass(&kept);
    QVERIFY(window->listening());
    window->session().answer(join(*window, "Ann"), 1, 1, 1);
    QCOMPARE(kept.size(), 1u); // kept as she finished
    join(*window, "Bob");
    QVERIFY(window->close());
    QVERIFY(!window->listening());
    QCOMPARE(kept.size(), 2u);
    QCOMPARE(kept[0].taker, QStringLiteral("Ann"));
    QVERIFY(kept[0].finished);
    QVERIFY(!kept[1].finished);
    QCOMPARE(kept[1].answers.size(), 1u); // the question on show, unanswered
    window->cmdend_Click();
    window.reset();
    QCOMPARE(kept.size(), 2u);
}

void tst_classwindow::optionsFixedOnceStudentJoins()
{
    std::vector<results::Attempt> kept;
    auto window = openclass(&kept);
    window->chkonechance->setChecked(true);
    QVERIFY(window->session().options().onechance);
    join(*window, "Ann");
    QVERIFY(!window->chkonechance->isEnabled());
    window->chkshuffleanswers->setChecked(true);
    QVERIFY(!window->session().options().shuffleanswers);
}

void tst_classwindow::exportIsTextToSpreadsheets()
{
    TestEnvironment env;
    std::vector<results::Attempt> kept;
    auto window = openclass(&kept);
    join(*window, "=HYPERLINK(\"http://x\")");
    join(*window, "-2+3");
    window->cmdend_Click();
    ScriptedFiles files({{platform::FileMode::Save, {env.path("class.csv"), {}}}});
    window->cmdexport_Click();
    QVERIFY(files.done());
    QCOMPARE(filebytes(env.path("class.csv")),
             "\xEF\xBB\xBFName,Question reached,Score,Maximum,Finished\r\n"
             "\"'=HYPERLINK(\"\"http://x\"\")\",\"1 of 1\",0,10,no\r\n"
             "\"'-2+3\",\"1 of 1\",0,10,no\r\n");
}

QTEST_MAIN(tst_classwindow)
#include "tst_classwindow.moc"

// The Quiz menu's Import and Export: the menu, the unsaved changes prompt, the file dialogs,
// files never replaced unasked, the report of what was skipped, how the format is chosen.

#include "interchange/interchange.h"
#include "platform/files.h"
#include "storage/modquiz.h"
#include "tests/support/testsupport.h"
#include "tests/support/windowsupport.h"
#include "ui/main/edit/editpanel.h"
#include "ui/main/frmquiz.h"
#include "ui/main/recentbooks.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>

namespace {

using interchange::Format;
using platform::FileMode;

const QString bookfilter = QStringLiteral("Quiz books (*.Q)");

QString writetext(const TestEnvironment &env, const QString &name, const QString &text)
{
    QFile file(env.path(name));
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0 ? file.fileName()
                                                                             : QString();
}

QString threejson(const TestEnvironment &env)
{
    return writetext(env, QStringLiteral("three.json"), QStringLiteral(R"({"category": "Imp",
"author": "Ann", "questions": [{"question": "One?", "answers": ["a", "b", "c", "d"], "correct": 2},
{"question": "Two?", "answers": ["e", "f", "g", "h"], "correct": 4},
{"question": "Three?", "answers": ["i", "j", "k", "l"], "correct": 1}]})"));
}

platform::FileChoice choice(const QString &path, Format format)
{
    return {path, interchange::formatfilter(format)};
}

// Opens name, a book of two questions, for editing as "/E" does.
void edit(const TestEnvironment &env, frmquiz &w, const QString &name)
{
    env.writebook(name, makeheader(2), makequestions(2));
    const ScriptedMessages quiet;
    w.openbook(name, true);
}

} // namespace

Q_DECLARE_METATYPE(interchange::Format)
Q_DECLARE_METATYPE(ExpectedMessage)

class tst_importexport : public QObject
{
    Q_OBJECT

private slots:
    void quizMenuKeepsItsItems();
    void importOpensNewBookInEditor();
    void cancelAtUnsavedChangesAsksNoFile();
    void nothingReplacedUnasked_data();
    void nothingReplacedUnasked();
    void importReportsFirstTwentyProblems();
    void exportWritesBookAsInMemory_data();
    void exportWritesBookAsInMemory();
    void cancelStopsPartWayAndWritesNothing_data();
    void cancelStopsPartWayAndWritesNothing();
};

void tst_importexport::quizMenuKeepsItsItems()
{
    TestEnvironment env;
    frmquiz w;
    w.Form_Load({});
    QStringList items;
    QString keys;
    for (const QAction *action : control<QMenu>(w, "mnuquiz")->actions()) {
        const QString text = action->text();
        items.append(action->isSeparator() ? "-" : text + ' ' + action->shortcut().toString());
        keys += action->isSeparator() ? QChar() : text.at(text.indexOf('&') + 1).toLower();
    }
    QCOMPARE(items, QStringList({"&New Quiz Ctrl+N", "&Edit Quiz Ctrl+E", "&Run Quiz Ctrl+R",
                                 "&Host a Class... ", "-", "&Import... ", "Expor&t... ",
                                 "&Print... Ctrl+P", "Export as P&DF... ", "Recent &Books ",
                                 "E&xit Ctrl+Q"}));
    QCOMPARE(QSet<QChar>(keys.begin(), keys.end()).size(), keys.size()); // no access key twice
    QVERIFY(!w.mnuquizexport->isEnabled());
}

void tst_importexport::importOpensNewBookInEditor()
{
    LoadedWindow t;
    ScriptedFiles files({{FileMode::Open, choice(threejson(t.env), Format::Json)},
                         {FileMode::Save, {t.env.path(QStringLiteral("new")), bookfilter}}});
    t.w.mnuquizimport_Click();
    QVERIFY(files.done());
    // The book is proposed beside its source, under the source's name.
    QCOMPARE(files.requests().at(1).start, t.env.path(QStringLiteral("three.Q")));
    const QString book = t.env.path(QStringLiteral("new.Q"));
    QBookHeader header;
    QList<QuestionRecord> questions;
    QVERIFY(modquiz::parsebook(filebytes(book), header, questions));
    QCOMPARE(header, (QBookHeader{"Imp", "Ann", "QB", 3}));
    QCOMPARE(questions[2].correct, quint8(4));

    QCOMPARE(modquiz::state().qbpath, book);
    QVERIFY(control(t.w, "picedit")->isVisibleTo(&t.w) && t.w.editstarted);
    QCOMPARE(recentbooks::load().value(0), QFileInfo(book).absoluteFilePath());
    QCOMPARE(control<QPlainTextEdit>(t.w, "txtquestion")->toPlainText(), QStringLiteral("One?"));
    QCOMPARE(editbuttons(t.w), QStringLiteral("11111111"));
    QVERIFY(t.w.mnuquizexport->isEnabled());
    QVERIFY(t.w.editpanel().cmdeditclose_Click());
    QVERIFY(!t.w.mnuquizexport->isEnabled());
}

void tst_importexport::cancelAtUnsavedChangesAsksNoFile()
{
    TestEnvironment env;
    frmquiz w;
    w.Form_Load({});
    edit(env, w, QStringLiteral("book.Q"));
    control<QPlainTextEdit>(w, "txtquestion")->setPlainText(QStringLiteral("Changed"));
    w.editpanel().cmdupdate_Click();
    ScriptedMessages script({{"Save Changes you made to book.Q?", Cancel, "Save", YesNoCancel}});
    const ScriptedFiles files;
    w.mnuquizimport_Click();
    VERIFY_DONE(script);
    QVERIFY(files.done() && files.requests().isEmpty());
    QVERIFY(control(w, "picedit")->isVisibleTo(&w) && modquiz::state().qbchanged);
}

void tst_importexport::nothingReplacedUnasked_data()
{
    QTest::addColumn<bool>("importing");
    QTest::addColumn<QString>("target");
    QTest::addColumn<ExpectedMessage>("message");
    const ExpectedMessage overwrite{"File already exists! Overwrite?", Cancel, "Overwrite?",
                                    OkCancel};
    QTest::newRow("import over a book") << true << "old.Q" << overwrite;
    QTest::newRow("import on a full disk")
        << true << "new.Q" << ExpectedMessage{"Error saving file", Ok, "Error"};
    QTest::newRow("export over a file") << false << "old.gift" << overwrite;
    QTest::newRow("export over the open book")
        << false << "book.Q"
        << ExpectedMessage{"Cannot export over the open quiz book", Ok, "Export"};
}

void tst_importexport::nothingReplacedUnasked()
{
    QFETCH(bool, importing);
    QFETCH(QString, target);
    QFETCH(ExpectedMessage, message);
    TestEnvironment env;
    frmquiz w;
    w.Form_Load({});
    edit(env, w, QStringLiteral("book.Q"));
    env.writebook(QStringLiteral("old.Q"), makeheader(1), makequestions(1));
    writetext(env, QStringLiteral("old.gift"), QStringLiteral("Old? {=yes ~no}\n"));
    const QString source = threejson(env);
    const auto snapshot = [&env] {
        QList<QByteArray> files;
        for (const QString &name : QDir(env.folder()).entryList(QDir::Files, QDir::Name))
            files << name.toUtf8() << filebytes(env.path(name));
        return files;
    };
    const QList<QByteArray> before = snapshot();
    ScriptedFiles files =
        importing ? ScriptedFiles({{FileMode::Open, choice(source, Format::Json)},
                                   {FileMode::Save, {env.path(target), bookfilter}}})
                  : ScriptedFiles({{FileMode::Save, choice(env.path(target), Format::Gift)}});
    ScriptedMessages script({message});
    {
        const FileSizeLimit disk(message.text == QLatin1String("Error saving file") ? 20 : 1 << 20);
        QVERIFY(disk.ok());
        importing ? w.mnuquizimport_Click() : w.mnuquizexport_Click();
    }
    QVERIFY(files.done());
    VERIFY_DONE(script);
    QCOMPARE(snapshot(), before);
}

void tst_importexport::importReportsFirstTwentyProblems()
{
    TestEnvironment env;
    frmquiz w;
    w.Form_Load({});
    QString gift = QStringLiteral("First? {=yes ~no}\n\n");
    for (int i = 0; i < 23; ++i)
        gift += QStringLiteral("Essay %1 {}\n\n").arg(i); // one every two lines from line 3
    const QString source =
        writetext(env, QStringLiteral("essays.txt"), gift + "Last? {=yes ~no}\n");
    // The first type offered shows every format's files and goes by the extension, or for a
    // .txt file by its content.
    const QString anyformat =
        QStringLiteral("Question files (*.gift *.txt *.aiken *.xml *.csv *.json)");
    ScriptedFiles files({{FileMode::Open, {source, anyformat}},
                         {FileMode::Save, {env.path(QStringLiteral("essays.Q")), bookfilter}}});
    QStringList texts;
    platform::setmsgboxhandler([&texts](const QString &text, platform::Buttons, const QString &) {
        texts.append(text);
        return Ok;
    });
    w.mnuquizimport_Click();
    QVERIFY(files.done());
    QCOMPARE(files.requests().constFirst().filters.constFirst(), anyformat);
    QCOMPARE(texts.size(), 1);
    const QStringList lines = texts.constFirst().split(QLatin1Char('\n'));
    QCOMPARE(lines.mid(0, 3), QStringList({"Imported 2 questions from essays.txt (read as GIFT).",
                                           "", "23 items were skipped or changed:"}));
    QCOMPARE(lines.size(), 3 + 20 + 1);
    QVERIFY2(lines.at(3).startsWith("line 3: ") && lines.at(22).startsWith("line 41: "),
             qPrintable(texts.constFirst()));
    QCOMPARE(lines.last(), QStringLiteral("... and 3 more"));
    QVERIFY(control(w, "picedit")->isVisibleTo(&w)); // shown over the book just opened
}

void tst_importexport::exportWritesBookAsInMemory_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Format>("type");
    QTest::addColumn<QString>("written");
    QTest::addColumn<Format>("format");
    QTest::newRow("type adds its extension") << "out" << Format::Csv << "out.csv" << Format::Csv;
    QTest::newRow("an extension of the type")
        << "out.aiken" << Format::Aiken << "out.aiken" << Format::Aiken;
    QTest::newRow("another format's extension")
        << "out.xml" << Format::Gift << "out.xml" << Format::MoodleXml;
    QTest::newRow("an unknown extension") << "out.v2" << Format::Json << "out.v2" << Format::Json;
}

void tst_importexport::exportWritesBookAsInMemory()
{
    QFETCH(QString, typed);
    QFETCH(Format, type);
    QFETCH(QString, written);
    QFETCH(Format, format);
    TestEnvironment env;
    frmquiz w;
    w.Form_Load({});
    edit(env, w, QStringLiteral("book.Q"));
    const QByteArray before = filebytes(env.path(QStringLiteral("book.Q")));
    control<QPlainTextEdit>(w, "txtquestion")->setPlainText(QStringLiteral("Changed, not saved"));
    w.editpanel().cmdupdate_Click();
    ScriptedFiles files({{FileMode::Save, choice(env.path(typed), type)}});
    platform::setmsgboxhandler([](const QString &, platform::Buttons, const QString &) {
        return Ok; // what a format cannot hold (the author) is reported
    });
    w.mnuquizexport_Click();
    QVERIFY(files.done());
    QCOMPARE(files.requests().constFirst().start, env.path(QStringLiteral("book")));
    const auto read = interchange::importbook(filebytes(env.path(written)), format);
    QCOMPARE(read.questions, modquiz::state().questions.mid(1));
    QCOMPARE(read.questions.at(0).question, QStringLiteral("Changed, not saved"));
    // Exporting is not saving.
    QVERIFY(modquiz::state().qbchanged);
    QCOMPARE(filebytes(env.path(QStringLiteral("book.Q"))), before);
}

void tst_importexport::cancelStopsPartWayAndWritesNothing_data()
{
    QTest::addColumn<bool>("importing");
    QTest::newRow("import") << true;
    QTest::newRow("export") << false;
}

// The largest book, with long texts: the progress counts while it converts, and Cancel pressed
// once it has moved stops the work with nothing written and nothing more asked.
void tst_importexport::cancelStopsPartWayAndWritesNothing()
{
    QFETCH(bool, importing);
    TestEnvironment env;
    frmquiz w;
    w.Form_Load({});
    QList<QuestionRecord> book = makequestions(qbook::maxquestions);
    for (QuestionRecord &record : book)
        record.question += QString(1000, u'x');
    env.writebook(QStringLiteral("big.Q"), makeheader(qbook::maxquestions), book);
    const QString source = env.path(QStringLiteral("big.gift"));
    QVERIFY(platform::replacefile(source, interchange::exportbook({}, book, Format::Gift).data) ==
            platform::ReplaceResult::Ok);
    {
        const ScriptedMessages quiet;
        w.openbook(QStringLiteral("big.Q"), true);
    }
    const QStringList before = QDir(env.folder()).entryList(QDir::AllEntries | QDir::Hidden);
    ScriptedFiles files(
        {{importing ? FileMode::Open : FileMode::Save,
          choice(importing ? source : env.path(QStringLiteral("out")), Format::Gift)}});
    const ScriptedMessages none;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&w] {
        auto *progress = w.findChild<QProgressDialog *>("progress");
        if (progress && progress->value() > 0)
            progress->cancel();
    });
    poll.start(10);
    importing ? w.mnuquizimport_Click() : w.mnuquizexport_Click();
    QVERIFY(files.done());
    QCOMPARE(QDir(env.folder()).entryList(QDir::AllEntries | QDir::Hidden), before);
}

QTEST_MAIN(tst_importexport)
#include "tst_importexport.moc"

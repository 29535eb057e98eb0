// The Quiz menu's Import and Export: the menu itself, when Export may be used, the unsaved
// changes prompt, the file dialogs, overwriting, a full disk, and the report of what was
// skipped or changed.

#include "files.h"
#include "frmquiz.h"
#include "interchange.h"
#include "modquiz.h"
#include "testsupport.h"
#include "windowsupport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>

namespace {

using interchange::Format;
using platform::FileMode;

const QString threejson = QStringLiteral(
    R"({"category": "Imported", "author": "Ann", "questions": [
{"question": "One?", "answers": ["a", "b", "c", "d"], "correct": 2},
{"question": "Two?", "answers": ["e", "f", "g", "h"], "correct": 4},
{"question": "Three?", "answers": ["i", "j", "k", "l"], "correct": 1}]})");

QString writetext(const TestEnvironment &env, const QString &name, const QString &text)
{
    QFile file(env.path(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
        return {};
    return file.fileName();
}

// count essays, which a book cannot hold, between two questions it can.
QString giftwithessays(int count)
{
    QString text = QStringLiteral("First? {=yes ~no}\n\n");
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("Essay %1 {}\n\n").arg(i);
    return text + QStringLiteral("Last? {~no =yes}\n");
}

platform::FileChoice choice(const QString &path, Format format)
{
    return {path, interchange::formatfilter(format)};
}

const QString bookfilter = QStringLiteral("Quiz books (*.Q)");

// Catches every message box, for the reports whose lines come from the readers.
class CapturedMessages
{
public:
    CapturedMessages()
    {
        platform::setmsgboxhandler([this](const QString &text, platform::Buttons, const QString &) {
            texts.append(text);
            return platform::Answer::Ok;
        });
    }
    ~CapturedMessages() { platform::setmsgboxhandler({}); }
    QStringList texts;
};

} // namespace

Q_DECLARE_METATYPE(interchange::Format)

class tst_importexport : public QObject
{
    Q_OBJECT

private slots:
    void quizMenuKeepsItsItems();
    void exportEnabledExactlyWhileInfoIs();
    void importOpensNewBookInEditor();
    void importAsksAboutUnsavedChanges_data();
    void importAsksAboutUnsavedChanges();
    void importAsksBeforeOverwriting_data();
    void importAsksBeforeOverwriting();
    void importOnFullDiskOpensNothing();
    void importReportsFirstTwentyProblems();
    void importWithNothingUsableAsksNoName();
    void exportWritesBookAsInMemory();
    void exportFormatByTypeOrExtension_data();
    void exportFormatByTypeOrExtension();
    void exportNeverReplacesOpenBook();
};

void tst_importexport::quizMenuKeepsItsItems()
{
    TestEnvironment env;
    frmquiz w;
    w.Form_Load({});
    QStringList items;
    QString keys;
    for (const QAction *action : w.mnuquiz->actions()) {
        if (action->isSeparator()) {
            items.append(QStringLiteral("-"));
            continue;
        }
        items.append(action->text() + QLatin1Char(' ') + action->shortcut().toString());
        keys += action->text().at(action->text().indexOf(QLatin1Char('&')) + 1).toLower();
    }
    QCOMPARE(items, QStringList({"&New Quiz Ctrl+N", "&Edit Quiz Ctrl+E", "&Run Quiz Ctrl+R", "-",
                                 "&Import... ", "Expor&t... ", "E&xit Ctrl+Q"}));
    // Alt with a letter must reach one item only.
    for (const QChar key : keys)
        QCOMPARE(keys.count(key), 1);
}

void tst_importexport::exportEnabledExactlyWhileInfoIs()
{
    TestEnvironment env;
    ScriptedMessages script;
    frmquiz w;
    w.Form_Load({});
    QVERIFY(!w.mnuquizexport->isEnabled());
    env.writebook(QStringLiteral("b.Q"), makeheader(2), makequestions(2));
    w.processcommandline(QStringLiteral("b.Q"));
    QVERIFY(w.picqb->isVisibleTo(&w));
    QVERIFY(!w.mnuquizexport->isEnabled());
    w.cmdqbclose_Click();
    w.processcommandline(QStringLiteral("/E b.Q"));
    QVERIFY(w.mnuinfo->isEnabled());
    QVERIFY(w.mnuquizexport->isEnabled());
    QVERIFY(w.cmdeditclose_Click());
    QVERIFY(!w.mnuquizexport->isEnabled());
}

void tst_importexport::importOpensNewBookInEditor()
{
    TestEnvironment env;
    ScriptedMessages script;
    frmquiz w;
    w.Form_Load({});
    const QString source = writetext(env, QStringLiteral("three.json"), threejson);
    ScriptedFiles files({{FileMode::Open, choice(source, Format::Json)},
                         {FileMode::Save, {env.path(QStringLiteral("new")), bookfilter}}});
    w.mnuquizimport_Click();
    QVERIFY(files.done());
    QVERIFY2(script.done(), script.problem());
    // The book is proposed beside its source, under the source's name.
    QCOMPARE(files.requests().at(1).start, env.path(QStringLiteral("three.Q")));

    const QString book = env.path(QStringLiteral("new.Q"));
    QBookHeader header;
    QList<QuestionRecord> questions;
    QVERIFY(modquiz::parsebook(filebytes(book), header, questions));
    QCOMPARE(header, (QBookHeader{"Imported", "Ann", "QB", 3}));
    QCOMPARE(questions.size(), 4);
    QCOMPARE(questions[2].question, QStringLiteral("Two?"));
    QCOMPARE(questions[2].correct, quint8(4));

    const auto &s = modquiz::state();
    QCOMPARE(s.qbpath, book);
    QVERIFY(platform::isopen(s.bookfile));
    QVERIFY(w.picedit->isVisibleTo(&w));
    QVERIFY(w.editstarted);
    QCOMPARE(w.txtquestion->toPlainText(), QStringLiteral("One?"));
    QCOMPARE(w.labnum1->text(), QStringLiteral("1"));
    QCOMPARE(editbuttons(w), QStringLiteral("11111111"));
    QVERIFY(w.mnuquizexport->isEnabled());
    QVERIFY(!s.qbchanged);
}

void tst_importexport::importAsksAboutUnsavedChanges_data()
{
    QTest::addColumn<platform::Answer>("answer");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<bool>("asksfile");
    QTest::newRow("yes") << Yes << true << true;
    QTest::newRow("no") << No << false << true;
    QTest::newRow("cancel") << Cancel << false << false;
}

void tst_importexport::importAsksAboutUnsavedChanges()
{
    QFETCH(platform::Answer, answer);
    QFETCH(bool, saved);
    QFETCH(bool, asksfile);
    TestEnvironment env;
    frmquiz w;
    w.Form_Load({});
    const QString path = env.writebook(QStringLiteral("book.Q"), makeheader(2), makequestions(2));
    {
        ScriptedMessages quiet;
        w.processcommandline(QStringLiteral("/E book.Q"));
    }
    w.txtquestion->setPlainText(QStringLiteral("Changed"));
    w.cmdupdate_Click();

    ScriptedMessages script({{"Save Changes you made to book.Q?", answer, "Save", YesNoCancel}});
    // The user then gives up in the file dialog.
    const ScriptedFiles files = asksfile ? ScriptedFiles({{FileMode::Open, {}}}) : ScriptedFiles();
    w.mnuquizimport_Click();
    QVERIFY2(script.done(), script.problem());
    QVERIFY(files.done());

    QBookHeader header;
    QList<QuestionRecord> questions;
    QVERIFY(modquiz::parsebook(filebytes(path), header, questions));
    QCOMPARE(questions[1].question == QStringLiteral("Changed"), saved);
    // Cancel keeps the book and its changes; otherwise the editor closed as New Quiz closes it.
    QCOMPARE(w.picedit->isVisibleTo(&w), !asksfile);
    QCOMPARE(modquiz::state().qbchanged, !asksfile);
}

void tst_importexport::importAsksBeforeOverwriting_data()
{
    QTest::addColumn<platform::Answer>("answer");
    QTest::newRow("ok") << Ok;
    QTest::newRow("cancel") << Cancel;
}

void tst_importexport::importAsksBeforeOverwriting()
{
    QFETCH(platform::Answer, answer);
    TestEnvironment env;
    frmquiz w;
    w.Form_Load({});
    const QString old = env.writebook(QStringLiteral("old.Q"), makeheader(1), makequestions(1));
    const QByteArray before = filebytes(old);
    const QString source = writetext(env, QStringLiteral("three.json"), threejson);
    ScriptedFiles files({{FileMode::Open, choice(source, Format::Json)},
                         {FileMode::Save, {env.path(QStringLiteral("old")), bookfilter}}});
    ScriptedMessages script({{"File already exists! Overwrite?", answer, "Overwrite?", OkCancel}});
    w.mnuquizimport_Click();
    QVERIFY(files.done());
    QVERIFY2(script.done(), script.problem());
    QCOMPARE(filebytes(old) == before, answer == Cancel);
    QCOMPARE(w.picedit->isVisibleTo(&w), answer == Ok);
}

void tst_importexport::importOnFullDiskOpensNothing()
{
    TestEnvironment env;
    frmquiz w;
    w.Form_Load({});
    const QString source = writetext(env, QStringLiteral("three.json"), threejson);
    ScriptedFiles files({{FileMode::Open, choice(source, Format::Json)},
                         {FileMode::Save, {env.path(QStringLiteral("new.Q")), bookfilter}}});
    ScriptedMessages script({{"Error saving file", Ok, "Error"}});
    {
        const FileSizeLimit disk(20);
        QVERIFY(disk.ok());
        w.mnuquizimport_Click();
    }
    QVERIFY(files.done());
    QVERIFY2(script.done(), script.problem());
    QVERIFY(!QFile::exists(env.path(QStringLiteral("new.Q"))));
    QVERIFY(!w.picedit->isVisibleTo(&w));
    QVERIFY(!modquiz::state().dlgok);
}

void tst_importexport::importReportsFirstTwentyProblems()
{
    TestEnvironment env;
    frmquiz w;
    w.Form_Load({});
    const QString source = writetext(env, QStringLiteral("essays.gift"), giftwithessays(23));
    // The first type offered shows every format's files and goes by the extension.
    const QString anyformat =
        QStringLiteral("Question files (*.gift *.txt *.aiken *.xml *.csv *.json)");
    ScriptedFiles files({{FileMode::Open, {source, anyformat}},
                         {FileMode::Save, {env.path(QStringLiteral("essays.Q")), bookfilter}}});
    CapturedMessages messages;
    w.mnuquizimport_Click();
    QVERIFY(files.done());
    QCOMPARE(files.requests().constFirst().filters.constFirst(), anyformat);
    QCOMPARE(messages.texts.size(), 1);
    const QStringList lines = messages.texts.constFirst().split(QLatin1Char('\n'));
    QCOMPARE(lines.mid(0, 3), QStringList({"Imported 2 questions from essays.gift.", "",
                                           "23 items were skipped or changed:"}));
    QCOMPARE(lines.size(), 3 + 20 + 1);
    // Each essay starts two lines after the one before it, from line 3.
    QVERIFY2(lines.at(3).startsWith(QStringLiteral("line 3: ")), qPrintable(lines.at(3)));
    QVERIFY2(lines.at(22).startsWith(QStringLiteral("line 41: ")), qPrintable(lines.at(22)));
    QCOMPARE(lines.last(), QStringLiteral("... and 3 more"));
    // The report comes with the book already open.
    QCOMPARE(modquiz::lastquestion(), 2);
    QVERIFY(w.picedit->isVisibleTo(&w));
}

void tst_importexport::importWithNothingUsableAsksNoName()
{
    TestEnvironment env;
    frmquiz w;
    w.Form_Load({});
    const QString source =
        writetext(env, QStringLiteral("only.gift"), QStringLiteral("Essay {}\n"));
    ScriptedFiles files({{FileMode::Open, choice(source, Format::Gift)}});
    CapturedMessages messages;
    w.mnuquizimport_Click();
    QVERIFY(files.done());
    QCOMPARE(messages.texts.size(), 1);
    QVERIFY2(messages.texts.constFirst().startsWith(
                 QStringLiteral("No questions could be imported from only.gift\n\nline 1: ")),
             qPrintable(messages.texts.constFirst()));
    QCOMPARE(QDir(env.folder()).entryList(QDir::Files).size(), 1);
    QVERIFY(!w.picedit->isVisibleTo(&w));
}

void tst_importexport::exportWritesBookAsInMemory()
{
    TestEnvironment env;
    ScriptedMessages script;
    frmquiz w;
    w.Form_Load({});
    const QString path = env.writebook(QStringLiteral("book.Q"), makeheader(2), makequestions(2));
    const QByteArray before = filebytes(path);
    w.processcommandline(QStringLiteral("/E book.Q"));
    w.txtquestion->setPlainText(QStringLiteral("Changed, not saved"));
    w.cmdupdate_Click();

    // No extension typed: the chosen type's is added.
    ScriptedFiles files({{FileMode::Save, choice(env.path(QStringLiteral("out")), Format::Json)}});
    w.mnuquizexport_Click();
    QVERIFY(files.done());
    QVERIFY2(script.done(), script.problem());
    const QString out = env.path(QStringLiteral("out.json"));
    const auto read = interchange::importbook(filebytes(out), Format::Json);
    QVERIFY(read.problems.isEmpty());
    QCOMPARE(read.questions, modquiz::state().questions.mid(1));
    QCOMPARE(read.questions.at(0).question, QStringLiteral("Changed, not saved"));
    QCOMPARE(read.category, QStringLiteral("Cat"));
    // Exporting is not saving.
    QVERIFY(modquiz::state().qbchanged);
    QCOMPARE(filebytes(path), before);
}

void tst_importexport::exportFormatByTypeOrExtension_data()
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

void tst_importexport::exportFormatByTypeOrExtension()
{
    QFETCH(QString, typed);
    QFETCH(Format, type);
    QFETCH(QString, written);
    QFETCH(Format, format);
    TestEnvironment env;
    frmquiz w;
    w.Form_Load({});
    env.writebook(QStringLiteral("book.Q"), makeheader(3), makequestions(3));
    CapturedMessages messages;
    w.processcommandline(QStringLiteral("/E book.Q"));
    ScriptedFiles files({{FileMode::Save, choice(env.path(typed), type)}});
    w.mnuquizexport_Click();
    QVERIFY(files.done());
    QCOMPARE(files.requests().constFirst().start, env.path(QStringLiteral("book")));
    const auto read = interchange::importbook(filebytes(env.path(written)), format);
    QCOMPARE(read.questions, makequestions(3));
}

void tst_importexport::exportNeverReplacesOpenBook()
{
    TestEnvironment env;
    frmquiz w;
    w.Form_Load({});
    const QString path = env.writebook(QStringLiteral("book.Q"), makeheader(2), makequestions(2));
    const QByteArray before = filebytes(path);
    {
        ScriptedMessages quiet;
        w.processcommandline(QStringLiteral("/E book.Q"));
    }
    ScriptedFiles files({{FileMode::Save, choice(path, Format::Gift)}});
    ScriptedMessages script({{"Cannot export over the open quiz book", Ok, "Export"}});
    w.mnuquizexport_Click();
    QVERIFY(files.done());
    QVERIFY2(script.done(), script.problem());
    QCOMPARE(filebytes(path), before);
}

QTEST_MAIN(tst_importexport)
#include "tst_importexport.moc"

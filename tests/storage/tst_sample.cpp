// The sample book that ships with the program must be a sound book that the program writes
// back unchanged.
#include "platform/files.h"
#include "storage/modquiz.h"
#include "tests/support/testsupport.h"

#include <QFile>
#include <QSet>
#include <QTest>

class tst_sample : public QObject
{
    Q_OBJECT

private slots:
    void sampleIsSound();
    void sampleSavesBackUnchanged();
};

void tst_sample::sampleIsSound()
{
    const QByteArray bytes = filebytes(QStringLiteral(EXAMPLESDIR "/general-knowledge.Q"));
    QVERIFY(!bytes.isEmpty());
    QBookHeader header;
    QList<QuestionRecord> questions;
    QVERIFY(modquiz::parsebook(bytes, header, questions));

    QCOMPARE(header.magic, QStringLiteral("QB"));
    QVERIFY(!header.category.isEmpty());
    QVERIFY(!header.author.isEmpty());
    QVERIFY(questions.size() - 1 >= 12);
    QCOMPARE(header.count, questions.size() - 1);

    QSet<int> corrects;
    QSet<QString> texts;
    for (qsizetype k = 1; k < questions.size(); ++k) {
        const QuestionRecord &record = questions[k];
        QVERIFY2(record.correct >= 1 && record.correct <= 4, qPrintable(record.question));
        corrects.insert(record.correct);
        QVERIFY(record.question.endsWith(QLatin1Char('?')));
        texts.insert(record.question);
        const QSet<QString> answers(record.answers.begin(), record.answers.end());
        QVERIFY2(answers.size() == 4, qPrintable(record.question));
        QVERIFY(!answers.contains(QString()));
    }
    QCOMPARE(texts.size(), questions.size() - 1);
    QCOMPARE(corrects.size(), 4);
}

void tst_sample::sampleSavesBackUnchanged()
{
    TestEnvironment env;
    const QString original = QStringLiteral(EXAMPLESDIR "/general-knowledge.Q");
    const QString path = env.path("sample.Q");
    QVERIFY(QFile::copy(original, path));
    QVERIFY(QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner));

    auto &st = modquiz::state();
    st.qbpath = path;
    QVERIFY(modquiz::openbook());
    QVERIFY(modquiz::loadbook());
    QCOMPARE(st.curq, qint16(1));
    QVERIFY(modquiz::savebook());
    QCOMPARE(filebytes(path), filebytes(original));
}

QTEST_GUILESS_MAIN(tst_sample)
#include "tst_sample.moc"

#include "results/attempt.h"

#include "storage/qbook.h"

#include <QCryptographicHash>

#include <pwd.h>
#include <unistd.h>

namespace results {

namespace {

void addtexts(QCryptographicHash &hash, const QuestionRecord &question)
{
    // Each text is counted so that moving a character between two texts changes the hash.
    const auto add = [&hash](const QString &text) {
        const QByteArray bytes = text.toUtf8();
        const quint32 size = bytes.size();
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(&size), sizeof size));
        hash.addData(bytes);
    };
    add(question.question);
    for (const QString &answer : question.answers)
        add(answer);
}

} // namespace

QByteArray bookhash(const QList<QuestionRecord> &questions, bool skipfirst)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (qsizetype k = skipfirst ? 1 : 0; k < questions.size(); ++k) {
        addtexts(hash, questions[k]);
        const char correct = char(questions[k].correct);
        hash.addData(QByteArrayView(&correct, 1));
    }
    return hash.result().toHex().left(32);
}

QByteArray questionhash(const QuestionRecord &question)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    addtexts(hash, question);
    return hash.result().toHex().left(16);
}

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

QString loginname()
{
    if (const passwd *entry = getpwuid(getuid()); entry && entry->pw_name && *entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

} // namespace results

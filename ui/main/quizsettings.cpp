#include "ui/main/quizsettings.h"

#include "platform/settings.h"

namespace {

const QString application = QStringLiteral("Tarvel");
const QString general = QStringLiteral("General");
const QString recent = QStringLiteral("Recent Books");

QString storedbool(bool on)
{
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

// True and false in any letter case, or a number where 0 is false. Anything else keeps the
// option on, as a missing key does.
bool readlenient(const QString &key)
{
    const QString word =
        platform::readsetting(application, general, key, QStringLiteral("True")).trimmed();
    if (word.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    bool isnumber = false;
    const double number = word.toDouble(&isnumber);
    if (isnumber)
        return number != 0.0;
    return true;
}

void writebool(const QString &key, bool on)
{
    platform::writesetting(application, general, key, storedbool(on));
}

QString practicekey(QuizSettings::Practice option)
{
    switch (option) {
    case QuizSettings::Practice::ShuffleQuestions:
        return QStringLiteral("shufflequestions");
    case QuizSettings::Practice::ShuffleAnswers:
        return QStringLiteral("shuffleanswers");
    case QuizSettings::Practice::ReviewMissed:
        return QStringLiteral("reviewmissed");
    }
    return {};
}

QString recentkey(int slot)
{
    return QStringLiteral("book%1").arg(slot + 1);
}

} // namespace

bool QuizSettings::practice(Practice option)
{
    const QString stored =
        platform::readsetting(application, general, practicekey(option), storedbool(false));
    return stored.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

void QuizSettings::setpractice(Practice option, bool on)
{
    writebool(practicekey(option), on);
}

bool QuizSettings::onechance()
{
    return readlenient(QStringLiteral("onechance"));
}

void QuizSettings::setonechance(bool on)
{
    writebool(QStringLiteral("onechance"), on);
}

bool QuizSettings::keepresults()
{
    return readlenient(QStringLiteral("keepresults"));
}

void QuizSettings::setkeepresults(bool on)
{
    writebool(QStringLiteral("keepresults"), on);
}

QStringList QuizSettings::recentbooks()
{
    QStringList list;
    for (int slot = 0; slot < recentlimit; ++slot) {
        const QString path = platform::readsetting(application, recent, recentkey(slot), QString());
        if (!path.isEmpty() && !list.contains(path))
            list.append(path);
    }
    return list;
}

void QuizSettings::setrecentbooks(const QStringList &list)
{
    for (int slot = 0; slot < recentlimit; ++slot)
        platform::writesetting(application, recent, recentkey(slot),
                               slot < list.size() ? list.at(slot) : QString());
}

#include "ui/main/run/runoptions.h"

#include "platform/settings.h"

namespace runoptions {
namespace {

const QString application = QStringLiteral("Tarvel");
const QString section = QStringLiteral("General");
const QString onechancekey = QStringLiteral("onechance");

QString storedbool(bool on)
{
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

// True and false in any letter case, or a number where 0 is false. Anything else keeps the
// option on, as a missing key does.
bool settingtobool(const QString &text)
{
    const QString word = text.trimmed();
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

} // namespace

QString key(Option option)
{
    switch (option) {
    case Option::ShuffleQuestions:
        return QStringLiteral("shufflequestions");
    case Option::ShuffleAnswers:
        return QStringLiteral("shuffleanswers");
    case Option::ReviewMissed:
        return QStringLiteral("reviewmissed");
    }
    return {};
}

bool read(Option option)
{
    const QString stored =
        platform::readsetting(application, section, key(option), QStringLiteral("False"));
    return stored.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

void write(Option option, bool on)
{
    platform::writesetting(application, section, key(option), storedbool(on));
}

bool readonechance()
{
    return settingtobool(
        platform::readsetting(application, section, onechancekey, QStringLiteral("True")));
}

void writeonechance(bool on)
{
    platform::writesetting(application, section, onechancekey, storedbool(on));
}

} // namespace runoptions

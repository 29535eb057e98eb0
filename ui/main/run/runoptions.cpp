#include "ui/main/run/runoptions.h"

#include "platform/settings.h"

namespace runoptions {
namespace {

const QString application = QStringLiteral("Tarvel");
const QString section = QStringLiteral("General");

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
    platform::writesetting(application, section, key(option),
                           on ? QStringLiteral("True") : QStringLiteral("False"));
}

} // namespace runoptions

#include "settings.h"

#include <QSettings>

#include <memory>

namespace platform {
namespace {

std::unique_ptr<QSettings> open(const QString &application, const QString &section)
{
    auto settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                application);
    // QSettings writes its top level as [General] and escapes a group of that name, so the
    // section "General" is the top level itself.
    if (section != QLatin1String("General"))
        settings->beginGroup(section);
    return settings;
}

} // namespace

QString readsetting(const QString &application, const QString &section, const QString &key,
                    const QString &defaultvalue)
{
    return open(application, section)->value(key, defaultvalue).toString();
}

void writesetting(const QString &application, const QString &section, const QString &key,
                  const QString &value)
{
    auto settings = open(application, section);
    settings->setValue(key, value);
    settings->sync();
}

QString settingsfile(const QString &application)
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, application).fileName();
}

void setsettingsfolder(const QString &folder)
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

} // namespace platform

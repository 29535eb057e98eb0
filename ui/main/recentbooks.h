#pragma once

#include "ui/main/quizsettings.h"

#include <QString>
#include <QStringList>

// The books last run, edited, created or imported, newest first, as absolute paths.
namespace recentbooks {

inline constexpr int limit = QuizSettings::recentlimit;

// The list with path put first: an earlier entry for the same file moves up rather than
// appearing twice, and the oldest beyond the limit falls off.
[[nodiscard]] QStringList added(QStringList list, const QString &path);

[[nodiscard]] QStringList load();
void save(const QStringList &list);

// Each of these reads the stored list, changes it and stores it again.
void add(const QString &path);
void remove(const QString &path);
void clear();

} // namespace recentbooks

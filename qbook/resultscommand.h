#pragma once

#include <QStringList>

namespace cli {

// qbook results BOOK.Q [--csv | --json] [--questions]: the attempts kept for a book, or the
// figures of its questions. 1 when the book has none.
[[nodiscard]] int results(const QStringList &arguments);

} // namespace cli

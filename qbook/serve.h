#pragma once

#include <QStringList>

namespace cli {

// Hosts a class on the book named in arguments until Ctrl+C or SIGTERM, then writes the
// students' results. Needs a core application object.
[[nodiscard]] int serve(const QStringList &arguments);

} // namespace cli

#include "common.h"

namespace interchange::detail {

ImportResult readgift(QByteArrayView)
{
    ImportResult result;
    result.problems.append(Problem{0, QStringLiteral("not written yet")});
    return result;
}

ExportResult writegift(const QBookHeader &, const QList<QuestionRecord> &)
{
    return ExportResult{{}, {Problem{0, QStringLiteral("not written yet")}}};
}

} // namespace interchange::detail

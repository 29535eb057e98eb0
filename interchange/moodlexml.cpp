#include "common.h"

namespace interchange::detail {

ImportResult readmoodlexml(QByteArrayView)
{
    ImportResult result;
    result.problems.append(Problem{0, QStringLiteral("not written yet")});
    return result;
}

ExportResult writemoodlexml(const QBookHeader &, const QList<QuestionRecord> &)
{
    return ExportResult{{}, {Problem{0, QStringLiteral("not written yet")}}};
}

} // namespace interchange::detail

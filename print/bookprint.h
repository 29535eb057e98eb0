#pragma once

#include "storage/qbook.h"

#include <QList>
#include <QPageSize>
#include <QString>

class QPagedPaintDevice;

// Lays a quiz book out on pages as a teacher hands it out: a title block, the numbered
// questions with their answers, then the answer key on a page of its own.
namespace bookprint {

struct PrintOptions
{
    bool answerkey = true;
    // The book's file name: the title of a book without a category.
    QString filename = {};
};

// A4, or Letter where the locale measures in US units.
[[nodiscard]] QPageSize defaultpagesize();

// The letter of answer 1 to 4 ("A" to "D"), or "?" for a number outside that range.
[[nodiscard]] QString answerletter(int correct);

// Paints the book onto device, whose page size and margins are already set. questions as the
// working state holds them: empty, or index 0 unused and the questions at 1..N. Returns the
// number of pages, or 0 when painting on the device could not start.
int printbook(QPagedPaintDevice &device, const QBookHeader &header,
              const QList<QuestionRecord> &questions, const PrintOptions &options);

// Writes the book as a PDF file with the given page size, replacing path only when every
// byte is written. On failure, error says why and the old file (if any) is untouched.
[[nodiscard]] bool writepdf(const QString &path, const QBookHeader &header,
                            const QList<QuestionRecord> &questions, const PrintOptions &options,
                            const QPageSize &pagesize, QString *error = nullptr);

} // namespace bookprint

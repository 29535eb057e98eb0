// Feeds arbitrary bytes to the quiz book loader. Beyond the sanitizers it checks that a book
// the loader accepts is written back so that it loads the same, and that a second write gives
// the same bytes. Now and then the same bytes go through a real file, openbook and loadbook.
#include "platform/ansi.h"
#include "platform/files.h"
#include "storage/modquiz.h"
#include "storage/qbook.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

bool fitsunchanged(const QString &text)
{
    return text.size() <= qbook::maxtextbytes;
}

// Texts longer than the writer's limit are cut on a save, so such a book cannot come back
// the same.
bool writable(const QBookHeader &header, const QList<QuestionRecord> &questions)
{
    if (!fitsunchanged(header.category) || !fitsunchanged(header.author) ||
        !fitsunchanged(header.magic))
        return false;
    for (const QuestionRecord &record : questions) {
        if (!fitsunchanged(record.question))
            return false;
        for (const QString &answer : record.answers) {
            if (!fitsunchanged(answer))
                return false;
        }
    }
    return true;
}

void checkroundtrip(const QBookHeader &header, const QList<QuestionRecord> &questions)
{
    const auto bytes = modquiz::serializebook(header, questions);
    if (!bytes)
        __builtin_trap(); // parsebook accepted more questions than a book can hold
    QBookHeader again;
    QList<QuestionRecord> reread;
    if (!modquiz::parsebook(*bytes, again, reread))
        __builtin_trap();
    const qsizetype last = questions.isEmpty() ? 0 : questions.size() - 1;
    if (again.category != header.category || again.author != header.author ||
        again.magic != header.magic || again.count != last || reread != questions)
        __builtin_trap();
    if (modquiz::serializebook(again, reread) != bytes)
        __builtin_trap();
}

void loadthroughfile(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("fuzz.Q"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return;
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }
    modquiz::resetstate();
    modquiz::state().qbpath = path;
    if (modquiz::openbook()) {
        (void)modquiz::loadbook();
        (void)modquiz::previewheader(path);
    }
    modquiz::resetstate();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QBookHeader header;
    QList<QuestionRecord> questions;
    const bool loaded = modquiz::parsebook(bytes, header, questions);
    if (!questions.isEmpty() && questions.first() != QuestionRecord{})
        __builtin_trap(); // index 0 never holds a question
    if (loaded && writable(header, questions))
        checkroundtrip(header, questions);

    // Every byte value has its own character, so any bytes come back unchanged.
    if (platform::toansi(platform::fromansi(bytes)) != bytes)
        __builtin_trap();

    static unsigned calls = 0;
    if (++calls % 64 == 0)
        loadthroughfile(data, size);
    return 0;
}

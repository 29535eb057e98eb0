// Feeds arbitrary bytes to one reader of the interchange layer (FUZZ_FORMAT names it). Beyond
// the sanitizers it checks what every import promises: no more questions than a book holds,
// texts a book can store unchanged, and that writing the questions back in the same format,
// when the writer reports no change, reads back the same.
#include "interchange/interchange.h"
#include "platform/ansi.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr interchange::Format format = interchange::Format::FUZZ_FORMAT;

bool storable(const QString &text)
{
    return text.size() <= qbook::maxtextbytes && platform::fromansi(platform::toansi(text)) == text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const interchange::ImportResult result = interchange::importbook(bytes, format);
    if (result.questions.size() > qbook::maxquestions)
        __builtin_trap();
    if (!storable(result.category) || !storable(result.author))
        __builtin_trap();
    for (const QuestionRecord &record : result.questions.mid(0)) {
        if (!storable(record.question))
            __builtin_trap();
        for (const QString &answer : record.answers) {
            if (!storable(answer))
                __builtin_trap();
        }
    }

    const QBookHeader header{result.category, result.author, QStringLiteral("QB"), 0};
    const interchange::ExportResult written =
        interchange::exportbook(header, result.questions, format);
    if (!written.problems.isEmpty())
        return 0;
    const interchange::ImportResult again = interchange::importbook(written.data, format);
    if (again.questions != result.questions)
        __builtin_trap();
    return 0;
}

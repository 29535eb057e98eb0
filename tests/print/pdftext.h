#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

// Reading a PDF back with poppler-utils; a missing tool fails the running test.
inline QString poppler(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        QTest::qFail(qPrintable(tool + " failed or is missing"), __FILE__, __LINE__);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text in the order it was drawn, pages separated by form feeds.
inline QString pdftext(const QString &path)
{
    return poppler("pdftotext", {"-raw", "-enc", "UTF-8", path, "-"});
}

// A field of pdfinfo's report: "Pages", "Page size".
inline QString pdfinfo(const QString &path, const QString &field)
{
    const QRegularExpression line("^" + field + ":\\s*(.*)$", QRegularExpression::MultilineOption);
    return line.match(poppler("pdfinfo", {path})).captured(1).trimmed();
}

// The first of texts that does not follow the one before it in haystack; empty when all do.
inline QString missinginorder(const QString &haystack, const QStringList &texts)
{
    qsizetype from = 0;
    for (const QString &text : texts) {
        from = haystack.indexOf(text, from);
        if (from < 0)
            return text;
        from += text.size();
    }
    return {};
}

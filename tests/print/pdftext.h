#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTest>

// Reading a PDF back with poppler's tools (poppler-utils).

// The text of the PDF in the order it was drawn (pdftotext -raw), or an empty text when the
// tool fails; a missing tool fails the running test.
inline QString pdftext(const QString &path)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), QStringLiteral("-enc"),
                                             QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0) {
        QTest::qFail("pdftotext failed or is missing (poppler-utils)", __FILE__, __LINE__);
        return {};
    }
    return QString::fromUtf8(tool.readAllStandardOutput());
}

// Runs of white space as one blank: lines that wrap read as one text.
inline QString flattened(const QString &text)
{
    return text.simplified();
}

// A field of pdfinfo's report ("Pages", "Page size"), or an empty text.
inline QString pdfinfo(const QString &path, const QString &field)
{
    QProcess tool;
    tool.start(QStringLiteral("pdfinfo"), {path});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0) {
        QTest::qFail("pdfinfo failed or is missing (poppler-utils)", __FILE__, __LINE__);
        return {};
    }
    const QRegularExpression line(QStringLiteral("^") + QRegularExpression::escape(field) +
                                      QStringLiteral(":\\s*(.*)$"),
                                  QRegularExpression::MultilineOption);
    return line.match(QString::fromUtf8(tool.readAllStandardOutput())).captured(1).trimmed();
}

inline int pdfpages(const QString &path)
{
    return pdfinfo(path, QStringLiteral("Pages")).toInt();
}

// The first of texts that does not follow the one before it in haystack; empty when all do.
inline QString missinginorder(const QString &haystack, const QStringList &texts)
{
    qsizetype from = 0;
    for (const QString &text : texts) {
        const qsizetype at = haystack.indexOf(text, from);
        if (at < 0)
            return text;
        from = at + text.size();
    }
    return {};
}

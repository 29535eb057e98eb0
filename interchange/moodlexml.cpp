// Moodle XML: <quiz> holding <question type="..."> elements, texts in <text> children with a
// format attribute; a <question type="category"> sets the category of the questions after it.
#include "interchange/common.h"

#include "platform/ansi.h"

#include <QBuffer>
#include <QStringConverter>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>

namespace interchange::detail {
namespace {

struct Text
{
    QString text;
    QString format;
};

struct Answer
{
    double fraction = 0;
    Text text;
};

// The text of the current element's <text> child, its feedback noted and other children
// passed over.
Text readtext(QXmlStreamReader &xml, bool &feedback)
{
    Text text{QString(), xml.attributes().value(QLatin1String("format")).toString()};
    while (xml.readNextStartElement()) {
        if (xml.name() == u"text") {
            text.text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml.name() == u"feedback") {
            if (!readtext(xml, feedback).text.trimmed().isEmpty())
                feedback = true;
        } else {
            xml.skipCurrentElement();
        }
    }
    return text;
}

// A plain text as a book holds it. A carriage return reaches the text only as a character
// reference, as this program writes it; a text without one had its line ends read as LF: they
// become CR LF, and the blank lines around the text are dropped.
QString booklines(const QString &text)
{
    if (text.contains(u'\r') || !text.contains(u'\n'))
        return text;
    QStringList lines = text.split(u'\n');
    const auto blank = [](const QString &line) { return line.trimmed().isEmpty(); };
    while (!lines.isEmpty() && blank(lines.first()))
        lines.removeFirst();
    while (!lines.isEmpty() && blank(lines.last()))
        lines.removeLast();
    return lines.join(QStringLiteral("\r\n"));
}

// A text as the book holds it, what HTML reduction left out added to lost. The automatic
// format is HTML in which line breaks count.
QString plaintext(const Text &text, const QString &fallback, int &lost)
{
    const QString format = text.format.isEmpty() ? fallback : text.format;
    if (format == u"plain_text" || format == u"markdown")
        return booklines(text.text);
    if (format == u"moodle_auto_format") {
        QString html = text.text;
        return htmltotext(html.replace(u'\n', QStringLiteral("<br>")), &lost);
    }
    // Any other format is read as HTML, as the platform does.
    return htmltotext(text.text, &lost);
}

QString typename_(const QString &type)
{
    if (type == u"shortanswer")
        return QStringLiteral("short answer question");
    if (type == u"description")
        return QStringLiteral("description (no question)");
    if (type.isEmpty())
        return QStringLiteral("question without a type");
    return QStringLiteral("%1 question").arg(type);
}

bool isfraction(double value, double of)
{
    return std::abs(value - of) < 1e-6;
}

class XmlReader
{
public:
    explicit XmlReader(BookBuilder &builder) : m_builder(builder) {}

    // total: the bytes of the file, which a device is read of, or a text has about as many
    // characters.
    void read(QXmlStreamReader &xml, qint64 total)
    {
        bool root = true;
        const auto done = [&xml] {
            return xml.device() ? xml.device()->pos() : xml.characterOffset();
        };
        while (!xml.atEnd() && m_builder.going(done(), total)) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            if (root && xml.name() != u"quiz") {
                m_builder.report(static_cast<int>(xml.lineNumber()),
                                 QStringLiteral("not a Moodle XML quiz: <%1> instead of <quiz>: "
                                                "nothing read")
                                     .arg(xml.name()));
                return;
            }
            root = false;
            if (xml.name() == u"question")
                readquestion(xml);
        }
        if (xml.hasError() && !m_builder.ended()) {
            m_builder.report(
                static_cast<int>(xml.lineNumber()),
                QStringLiteral("not well-formed XML (%1): reading stopped").arg(xml.errorString()));
        }
    }

private:
    void readquestion(QXmlStreamReader &xml)
    {
        const int line = static_cast<int>(xml.lineNumber());
        const QString type = xml.attributes().value(QLatin1String("type")).toString();
        Text question;
        Text category;
        QList<Answer> answers;
        bool feedback = false;
        while (xml.readNextStartElement()) {
            const QStringView name = xml.name();
            if (name == u"questiontext") {
                question = readtext(xml, feedback);
            } else if (name == u"answer") {
                bool ok = false;
                const double fraction =
                    xml.attributes().value(QLatin1String("fraction")).toDouble(&ok);
                answers.append(Answer{ok ? fraction : 0, readtext(xml, feedback)});
            } else if (name == u"category") {
                category = readtext(xml, feedback);
            } else if (name.endsWith(u"feedback")) {
                if (!readtext(xml, feedback).text.trimmed().isEmpty())
                    feedback = true;
            } else {
                xml.skipCurrentElement();
            }
        }
        if (xml.hasError())
            return;
        if (type == u"category") {
            m_builder.setcategory(line, categoryname(category.text));
            return;
        }
        if (feedback)
            m_builder.reportonce(OnceFeedback, line, QStringLiteral("feedback left out"));
        if (type == u"truefalse")
            return readtruefalse(question, answers, line);
        if (type != u"multichoice")
            return skip(line, typename_(type));

        if (answers.size() > 4)
            return skip(line, QStringLiteral("more than four choices"));
        if (answers.size() < 2)
            return skip(line, QStringLiteral("fewer than two choices"));
        int rights = 0;
        int correct = 0;
        bool partial = false;
        bool penalty = false;
        int lost = 0;
        // The platform reads a question text without a format as HTML, and an answer without
        // one in the format of its question.
        const QString questionformat =
            question.format.isEmpty() ? QStringLiteral("html") : question.format;
        QStringList texts;
        for (qsizetype i = 0; i < answers.size(); ++i) {
            const double fraction = answers[i].fraction;
            if (isfraction(fraction, 100)) {
                ++rights;
                correct = static_cast<int>(i + 1);
            } else if (fraction < 0) {
                penalty = true;
            } else if (!isfraction(fraction, 0)) {
                partial = true;
            }
            texts.append(plaintext(answers[i].text, questionformat, lost));
        }
        if (partial || rights > 1)
            return skip(line, QStringLiteral("several right answers or partial credit"));
        if (rights == 0)
            return skip(line, QStringLiteral("no right answer"));
        const QString text = plaintext(question, QStringLiteral("html"), lost);
        if (!m_builder.add(line, text, texts, correct))
            return;
        if (penalty)
            m_builder.report(line, QStringLiteral("penalty for wrong answers not kept"));
        reportlost(m_builder, line, lost);
    }

    void readtruefalse(const Text &question, const QList<Answer> &answers, int line)
    {
        int correct = 0;
        for (const Answer &answer : answers) {
            if (!isfraction(answer.fraction, 100))
                continue;
            const QString text = answer.text.text.trimmed().toLower();
            if (text == u"true")
                correct = 1;
            else if (text == u"false")
                correct = 2;
        }
        if (correct == 0)
            return skip(line, QStringLiteral("true/false question without a right \"true\" or "
                                             "\"false\" answer"));
        int lost = 0;
        const QString text = plaintext(question, QStringLiteral("html"), lost);
        if (m_builder.add(line, text, {QStringLiteral("True"), QStringLiteral("False")}, correct))
            reportlost(m_builder, line, lost);
    }

    void skip(int line, const QString &reason)
    {
        m_builder.report(line, reason + QStringLiteral(": skipped"));
    }

    BookBuilder &m_builder;
};

// The encoding named in the XML declaration, lower case; empty when none.
QString declaredencoding(QByteArrayView data)
{
    const QByteArrayView head = data.first(std::min<qsizetype>(data.size(), 200));
    if (!head.startsWith("<?xml"))
        return {};
    const qsizetype end = head.indexOf("?>");
    const qsizetype at = head.indexOf("encoding");
    if (at < 0 || (end >= 0 && at > end))
        return {};
    qsizetype start = at + 8;
    while (start < head.size() && (head[start] == ' ' || head[start] == '='))
        ++start;
    if (start >= head.size())
        return {};
    const char quote = head[start];
    const qsizetype close = head.indexOf(quote, start + 1);
    if (close < 0)
        return {};
    return QString::fromLatin1(head.sliced(start + 1, close - start - 1)).toLower();
}

// XML 1.0 cannot hold most control characters, even escaped.
bool xmlchar(QChar c)
{
    const char16_t u = c.unicode();
    return u >= 0x20 || u == u'\t' || u == u'\n' || u == u'\r';
}

QString xmltext(const QString &text, bool &dropped)
{
    if (std::all_of(text.cbegin(), text.cend(), xmlchar))
        return text;
    dropped = true;
    QString out;
    for (const QChar c : text) {
        if (xmlchar(c))
            out += c;
    }
    return out;
}

// A <text> element. A reader turns a carriage return written as it is into a line feed, so it
// goes out as a character reference.
void writetextelement(QXmlStreamWriter &xml, const QString &text)
{
    xml.writeStartElement(QStringLiteral("text"));
    const QStringList parts = text.split(u'\r');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            xml.writeEntityReference(QStringLiteral("#13"));
        xml.writeCharacters(parts[i]);
    }
    xml.writeEndElement();
}

void writetext(QXmlStreamWriter &xml, const QString &element, const QString &text)
{
    xml.writeStartElement(element);
    xml.writeAttribute(QStringLiteral("format"), QStringLiteral("plain_text"));
    writetextelement(xml, text);
    xml.writeEndElement();
}

} // namespace

ImportResult readmoodlexml(QByteArrayView data, const Progress &progress)
{
    ImportResult result;
    BookBuilder builder(result, progress);
    // The reader takes the bytes from a device, so that a big file is not held a second time
    // as text; it follows a byte-order mark and the declared encoding itself.
    QByteArray bytes = QByteArray::fromRawData(data.data(), data.size());
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    QXmlStreamReader xml;
    const QString encoding = declaredencoding(data);
    const auto mark = QStringConverter::encodingForData(data);
    const bool marked = mark && *mark != QStringConverter::Utf8;
    const bool utf8 = encoding.isEmpty() || encoding == u"utf-8" || encoding == u"utf8";
    // A declaration of UTF-16 in a file that starts in single bytes is wrong: the file is
    // read as UTF-8, or as Windows-1252 as another file that is not UTF-8 is.
    const bool singlebytes = encoding.startsWith(u"utf-16") || encoding.startsWith(u"ucs-2");
    const bool windows1252 = encoding == u"windows-1252" || encoding == u"cp1252";
    if (!marked && windows1252 && !QStringConverter::encodingForName(encoding.toLatin1())) {
        xml.addData(platform::fromansi(data));
    } else if (!marked && (utf8 || singlebytes) && !(utf8 && data.isValidUtf8())) {
        // Given as text, the reader passes the declaration over.
        xml.addData(decodefile(data, builder));
    } else {
        xml.setDevice(&device);
    }
    XmlReader(builder).read(xml, data.size());
    return result;
}

ExportResult writemoodlexml(const QBookHeader &header, const Questions &questions, Pacer &pacer)
{
    ExportResult result;
    QByteArray out;
    QXmlStreamWriter xml(&out);
    // One line a question: indenting every element would make the file a third bigger and
    // slower to read, for no reader's benefit.
    xml.writeStartDocument();
    xml.writeCharacters(QStringLiteral("\n"));
    xml.writeStartElement(QStringLiteral("quiz"));
    xml.writeCharacters(QStringLiteral("\n"));
    bool dropped = false;
    if (!header.category.isEmpty()) {
        xml.writeStartElement(QStringLiteral("question"));
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("category"));
        xml.writeStartElement(QStringLiteral("category"));
        writetextelement(xml, QStringLiteral("$course$/top/") +
                                  xmltext(categorypart(header.category), dropped));
        xml.writeEndElement();
        xml.writeEndElement();
        xml.writeCharacters(QStringLiteral("\n"));
        if (dropped || !categoryreadsback(header.category))
            result.problems.append(
                Problem{0, QStringLiteral("the category does not read back as it is")});
    }
    if (!header.author.isEmpty())
        result.problems.append(
            Problem{0, QStringLiteral("Moodle XML has no place for the author: left out")});

    for (qsizetype k = 0; k < questions.size(); ++k) {
        const QuestionRecord record = questions.at(k);
        const int number = static_cast<int>(k + 1);
        if (!pacer.at(k, questions.size()))
            return result;
        if (!writable(record, number, result))
            continue;
        dropped = false;
        bool relined = booklines(record.question) != record.question;
        xml.writeStartElement(QStringLiteral("question"));
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("multichoice"));
        xml.writeStartElement(QStringLiteral("name"));
        xml.writeTextElement(QStringLiteral("text"), QStringLiteral("Question %1").arg(number));
        xml.writeEndElement();
        writetext(xml, QStringLiteral("questiontext"), xmltext(record.question, dropped));
        xml.writeTextElement(QStringLiteral("single"), QStringLiteral("true"));
        xml.writeTextElement(QStringLiteral("shuffleanswers"), QStringLiteral("false"));
        xml.writeTextElement(QStringLiteral("answernumbering"), QStringLiteral("ABCD"));
        const int used = slotsused(record);
        for (int i = 0; i < used; ++i) {
            xml.writeStartElement(QStringLiteral("answer"));
            xml.writeAttribute(QStringLiteral("fraction"), i + 1 == record.correct
                                                               ? QStringLiteral("100")
                                                               : QStringLiteral("0"));
            xml.writeAttribute(QStringLiteral("format"), QStringLiteral("plain_text"));
            writetextelement(xml, xmltext(record.answers[i], dropped));
            relined |= booklines(record.answers[i]) != record.answers[i];
            xml.writeEndElement();
        }
        xml.writeEndElement();
        xml.writeCharacters(QStringLiteral("\n"));
        if (dropped)
            result.problems.append(Problem{number, QStringLiteral("control characters left out")});
        if (relined)
            result.problems.append(Problem{
                number, QStringLiteral("line feeds without a carriage return read back as CR LF, "
                                       "blank lines around a text left out")});
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    result.data = out;
    return result;
}

} // namespace interchange::detail

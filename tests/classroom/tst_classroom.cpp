// A class over HTTP as a browser and an attacker reach it: every security rule, the scoring,
// resuming, and a run of bad requests that must leave the class as it was.
#include "classroom/server.h"
#include "classroom/session.h"
#include "tests/support/testsupport.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

struct Reply
{
    int status = 0;
    QByteArray head; // status line and headers
    QJsonObject json;
    QByteArray body;
};

// Three sound questions (the second with an empty slot C) around an unsound one.
QList<QuestionRecord> book()
{
    return {{},
            {"One?", {"a", "b", "c", "d"}, 2},
            {"Broken?", {"a", "", "", ""}, 1},
            {"Two?", {"x", "y", "", "z"}, 4},
            {"Three?", {"p", "q", "r", "s"}, 1}};
}

// Sends raw bytes on a fresh connection and reads one reply, or what came in five seconds.
Reply exchange(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    QByteArray bytes;
    QEventLoop loop;
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] {
        bytes += socket.readAll();
        const qsizetype end = bytes.indexOf("\r\n\r\n");
        const qsizetype at = bytes.indexOf("Content-Length: ");
        const int length = bytes.mid(at + 16, bytes.indexOf('\r', at) - at - 16).toInt();
        if (end >= 0 && at >= 0 && bytes.size() >= end + 4 + length)
            loop.quit();
    });
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write(request);
    loop.exec();
    Reply reply;
    const qsizetype end = bytes.indexOf("\r\n\r\n");
    reply.head = bytes.left(end);
    reply.body = end < 0 ? QByteArray() : bytes.mid(end + 4);
    reply.status = bytes.mid(9, 3).toInt();
    reply.json = QJsonDocument::fromJson(reply.body).object();
    return reply;
}

QByteArray request(const QByteArray &method, const QByteArray &path, const QByteArray &body = {},
                   const QByteArray &token = {})
{
    QByteArray text = method + ' ' + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    if (!token.isEmpty())
        text += "Cookie: quiztoken=" + token + "\r\n";
    if (method == "POST")
        text += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    return text + "\r\n" + body;
}

QByteArray answer(int number, int attempt, int choice)
{
    return QJsonDocument(QJsonObject{{"number", number}, {"try", attempt}, {"choice", choice}})
        .toJson(QJsonDocument::Compact);
}

// A class on the loopback address.
struct Class
{
    classroom::Session session{QStringLiteral("book.Q"), QBookHeader{}, book()};
    classroom::Server server{session};

    explicit Class(bool onechance = false)
    {
        (void)session.setoptions({onechance, false, false, false});
        if (!server.listen(QHostAddress::LocalHost, 0))
            qFatal("cannot listen: %s", qPrintable(server.error()));
    }
    Reply send(const QByteArray &bytes) { return exchange(server.port(), bytes); }
    Reply join(const QString &name, const QString &code = {})
    {
        const QJsonObject body{{"code", code.isNull() ? session.code() : code}, {"name", name}};
        return send(request("POST", "/api/join", QJsonDocument(body).toJson()));
    }
    QByteArray token(const Reply &joined) const
    {
        const qsizetype at = joined.head.indexOf("quiztoken=") + 10;
        return joined.head.mid(at, joined.head.indexOf(';', at) - at);
    }
};

} // namespace

class tst_classroom : public QObject
{
    Q_OBJECT

private slots:
    void rightAnswerHiddenUntilLastTry_data();
    void rightAnswerHiddenUntilLastTry();
    void answersNeedOwnTokenOncePerTry();
    void joiningNeedsCodeAndWrongCodesWait();
    void badBodiesChangeNothing_data();
    void badBodiesChangeNothing();
    void htmlNameStaysText();
    void everyReplyCarriesPolicy_data();
    void everyReplyCarriesPolicy();
    void classIsFullAtFiveHundred();
    void scoring_data();
    void scoring();
    void reloadResumesByToken();
    void endedClassStopsAnswersAndListening();
    void badInputRunLeavesAnswers();
};

void tst_classroom::rightAnswerHiddenUntilLastTry_data()
{
    QTest::addColumn<bool>("onechance");
    QTest::newRow("two tries") << false;
    QTest::newRow("one chance") << true;
}

void tst_classroom::rightAnswerHiddenUntilLastTry()
{
    QFETCH(bool, onechance);
    Class c(onechance);
    const QByteArray token = c.token(c.join("Ann"));
    const Reply first = c.send(request("POST", "/api/answer", answer(1, 1, 0), token));
    QCOMPARE(first.status, 200);
    // Nothing in a try-again reply tells the buttons apart.
    QCOMPARE(first.json.contains("right"), onechance);
    QCOMPARE(first.json.value("state")["disabled"].toInt(), onechance ? -1 : 0);
    if (onechance) {
        QCOMPARE(first.json.value("right").toString(), QStringLiteral("b"));
        return;
    }
    const Reply second = c.send(request("POST", "/api/answer", answer(1, 2, 2), token));
    QCOMPARE(second.json.value("right").toString(), QStringLiteral("b"));
}

void tst_classroom::answersNeedOwnTokenOncePerTry()
{
    Class c;
    const QByteArray ann = c.token(c.join("Ann"));
    QCOMPARE(c.send(request("POST", "/api/answer", answer(1, 1, 1))).status, 401);
    QCOMPARE(c.send(request("POST", "/api/answer", answer(1, 1, 1), "f00d")).status, 401);
    QCOMPARE(c.send(request("POST", "/api/answer", answer(1, 1, 1), ann)).json["points"], 10);
    // The same request again, or the next question at a try it is not at, changes nothing.
    QCOMPARE(c.send(request("POST", "/api/answer", answer(1, 1, 1), ann)).status, 409);
    QCOMPARE(c.send(request("POST", "/api/answer", answer(2, 2, 0), ann)).status, 409);
    QCOMPARE(c.session.students()[0].score, 10);
    QCOMPARE(c.session.students()[0].position, 1);
}

void tst_classroom::joiningNeedsCodeAndWrongCodesWait()
{
    Class c;
    const QString wrong = c.session.code() == "000000" ? "000001" : "000000";
    QCOMPARE(c.send(request("GET", "/api/state")).status, 401);
    for (int i = 0; i < classroom::maxwrongcodes; ++i)
        QCOMPARE(c.join("Eve", wrong).status, 403);
    const Reply waiting = c.join("Eve");
    QCOMPARE(waiting.status, 429);
    QCOMPARE(waiting.json["error"], "Too many wrong codes: wait a minute, then try again.");
    QVERIFY(c.session.students().empty());
}

void tst_classroom::badBodiesChangeNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    const QByteArray big(classroom::maxbodybytes + 1, ' ');
    const auto post = [](const QByteArray &body) {
        return request("POST", "/api/answer", body, "TOKEN");
    };
    QTest::newRow("not JSON") << post("{1,") << 400;
    QTest::newRow("array") << post("[]") << 400;
    QTest::newRow("text number") << post(R"({"number":"1","try":1,"choice":1})") << 400;
    QTest::newRow("fraction") << post(R"({"number":1,"try":1,"choice":1.5})") << 400;
    QTest::newRow("too long") << post(big) << 413;
    QTest::newRow("join too long") << request("POST", "/api/join", big) << 413;
    QTest::newRow("join without name")
        << request("POST", "/api/join", "{\"code\":\"CODE\"}") << 400;
    QTest::newRow("join with number name")
        << request("POST", "/api/join", "{\"code\":\"CODE\",\"name\":7}") << 400;
    QTest::newRow("join with long name")
        << request("POST", "/api/join",
                   "{\"code\":\"CODE\",\"name\":\"" + QByteArray(41, 'n') + "\"}")
        << 400;
}

void tst_classroom::badBodiesChangeNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    Class c;
    const QByteArray token = c.token(c.join("Ann"));
    bytes.replace("TOKEN", token).replace("CODE", c.session.code().toLatin1());
    QCOMPARE(c.send(bytes).status, status);
    QCOMPARE(c.session.students().size(), 1u);
    QVERIFY(c.session.students()[0].answers.empty());
    QCOMPARE(c.send(request("GET", "/api/state", {}, token)).json["try"], 1);
}

void tst_classroom::htmlNameStaysText()
{
    Class c;
    const QString name = QStringLiteral("<script>alert(1)</script>");
    QCOMPARE(c.join(name).json["name"].toString(), name);
    QCOMPARE(c.session.students()[0].name, name);
    // The page is the same for everyone and sets every text as text.
    QVERIFY(!c.send(request("GET", "/")).body.contains("alert"));
    const QByteArray script = c.send(request("GET", "/page.js")).body;
    QVERIFY(script.contains("textContent"));
    QVERIFY(!script.contains("innerHTML") && !script.contains("insertAdjacentHTML"));
}

void tst_classroom::everyReplyCarriesPolicy_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("status");
    QTest::newRow("page") << QByteArray("/") << 200;
    QTest::newRow("script") << QByteArray("/page.js") << 200;
    QTest::newRow("api") << QByteArray("/api/state") << 401;
    QTest::newRow("unknown") << QByteArray("/index.html") << 404;
    QTest::newRow("dot dot") << QByteArray("/../../../../etc/passwd") << 404;
    QTest::newRow("encoded dot dot") << QByteArray("/%2e%2e/%2e%2e/etc/passwd") << 404;
    QTest::newRow("resource path") << QByteArray("/:/classroom/page/page.js") << 404;
}

void tst_classroom::everyReplyCarriesPolicy()
{
    QFETCH(QByteArray, path);
    QFETCH(int, status);
    Class c;
    const Reply reply = c.send(request("GET", path));
    QCOMPARE(reply.status, status);
    QVERIFY(reply.head.contains("\r\nContent-Security-Policy: default-src 'self'; script-src "
                                "'self'; style-src 'self';"));
    QVERIFY(!reply.body.contains("root:"));
}

void tst_classroom::classIsFullAtFiveHundred()
{
    Class c;
    QByteArray token;
    for (int i = 0; i < classroom::maxstudents; ++i)
        QCOMPARE(c.session.join(c.session.code(), "S", "10.0.0.1", &token),
                 classroom::JoinResult::Joined);
    const Reply full = c.join("Late");
    QCOMPARE(full.status, 403);
    QCOMPARE(full.json["error"], "The class is full");
}

void tst_classroom::scoring_data()
{
    QTest::addColumn<bool>("onechance");
    QTest::addColumn<QList<int>>("choices"); // buttons pressed in turn
    QTest::addColumn<int>("score");
    QTest::addColumn<QByteArray>("outcomes"); // per question, results::Outcome
    QTest::newRow("all right") << false << QList<int>{1, 2, 0} << 30 << QByteArray("\1\1\1");
    QTest::newRow("wrong then right")
        << false << QList<int>{0, 1, 0, 1, 0} << 15 << QByteArray("\2\3\1");
    QTest::newRow("one chance") << true << QList<int>{0, 2, 0} << 20 << QByteArray("\3\1\1");
}

void tst_classroom::scoring()
{
    QFETCH(bool, onechance);
    QFETCH(QList<int>, choices);
    QFETCH(int, score);
    QFETCH(QByteArray, outcomes);
    Class c(onechance);
    const QByteArray token = c.token(c.join("Ann"));
    QJsonObject state = c.send(request("GET", "/api/state", {}, token)).json;
    // Only sound questions, only filled slots.
    QCOMPARE(state["total"], 3);
    for (int choice : choices) {
        const Reply reply =
            c.send(request("POST", "/api/answer",
                           answer(state["number"].toInt(), state["try"].toInt(), choice), token));
        QCOMPARE(reply.status, 200);
        state = reply.json["state"].toObject();
        if (state["number"] == 2)
            QCOMPARE(state["answers"].toArray().size(), 3);
    }
    QCOMPARE(state["finished"], true);
    QCOMPARE(state["score"], score);
    QCOMPARE(state["winner"], score == 30);
    const auto attempts = c.session.end();
    QCOMPARE(attempts.size(), 1u);
    QCOMPARE(attempts[0].score, score);
    QCOMPARE(attempts[0].maximum, 30);
    QVERIFY(attempts[0].finished);
    QCOMPARE(attempts[0].taker, QStringLiteral("Ann"));
    for (int k = 0; k < outcomes.size(); ++k)
        QCOMPARE(int(attempts[0].answers[k].outcome), int(outcomes[k]));
}

void tst_classroom::reloadResumesByToken()
{
    Class c;
    const QByteArray token = c.token(c.join("Ann"));
    (void)c.send(request("POST", "/api/answer", answer(1, 1, 1), token));
    (void)c.send(request("POST", "/api/answer", answer(2, 1, 0), token));
    const QJsonObject state = c.send(request("GET", "/api/state", {}, token)).json;
    QCOMPARE(state["name"], "Ann");
    QCOMPARE(state["number"], 2);
    QCOMPARE(state["try"], 2);
    QCOMPARE(state["disabled"], 0);
    QCOMPARE(state["score"], 10);
}

void tst_classroom::endedClassStopsAnswersAndListening()
{
    Class c;
    const QByteArray token = c.token(c.join("Ann"));
    const quint16 port = c.server.port();
    const auto attempts = c.session.end();
    QCOMPARE(attempts[0].finished, false);
    QCOMPARE(attempts[0].answers.size(), 1u); // the question on show, unanswered
    QCOMPARE(c.send(request("POST", "/api/answer", answer(1, 1, 1), token)).status, 410);
    c.server.close();
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(!socket.waitForConnected(2000));
}

void tst_classroom::badInputRunLeavesAnswers()
{
    Class c;
    const QByteArray token = c.token(c.join("Ann"));
    QCOMPARE(c.send(request("POST", "/api/answer", answer(1, 1, 1), token)).json["points"], 10);
    // Question 1 is answered: any form of this request must change nothing.
    const QByteArray stale = request("POST", "/api/answer", answer(1, 1, 0), token);
    auto *random = QRandomGenerator::global();
    for (int i = 0; i < 2000; ++i) {
        QByteArray bytes = stale;
        switch (i % 5) {
        case 0: // truncated
            bytes.truncate(random->bounded(bytes.size()));
            break;
        case 1: // bytes flipped
            for (int k = 0; k < 4; ++k)
                bytes[random->bounded(bytes.size())] = char(random->bounded(':', 256));
            break;
        case 2: // a wrong token of the right length
            bytes.replace(token, QByteArray(token.size(), 'a' + char(i % 6)));
            break;
        case 3: // oversized
            bytes.append(QByteArray(random->bounded(20000, 40000), 'x'));
            break;
        case 4: // a wrong try at the question
            bytes = request("POST", "/api/answer", answer(1, 3 + i % 7, 1), token);
            break;
        }
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, c.server.port());
        socket.write(bytes);
        QVERIFY(socket.waitForBytesWritten(1000) || bytes.isEmpty());
        socket.abort();
        QCoreApplication::processEvents();
    }
    const classroom::Student &ann = c.session.students()[0];
    QCOMPARE(ann.answers.size(), 1u);
    QCOMPARE(ann.answers[0].first, 'B');
    QCOMPARE(ann.score, 10);
    QCOMPARE(c.send(request("POST", "/api/answer", answer(2, 1, 2), token)).json["points"], 10);
}

QTEST_GUILESS_MAIN(tst_classroom)
#include "tst_classroom.moc"

// A class over HTTP as browsers and attackers reach it: security rules, scoring, bad requests.
#include "classroom/server.h"
#include "classroom/session.h"
#include "tests/support/testsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTest>

namespace {

struct Reply
{
    int status = 0;
    QByteArray head; // status line and headers
    QByteArray body;
    QJsonObject json;
    QByteArray token; // from a Set-Cookie
};

// Three sound questions (the second with an empty slot C) around an unsound one.
const QList<QuestionRecord> book = {{},
                                    {"One?", {"a", "b", "c", "d"}, 2},
                                    {"Broken?", {"a", "", "", ""}, 1},
                                    {"Two?", {"x", "y", "", "z"}, 4},
                                    {"Three?", {"p", "q", "r", "s"}, 1}};

// Sends raw bytes on a fresh connection and reads one reply, or what came in five seconds.
Reply exchange(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write(request);
    QByteArray bytes;
    (void)QTest::qWaitFor(
        [&] {
            bytes += socket.readAll();
            const qsizetype end = bytes.indexOf("\r\n\r\n");
            const qsizetype at = bytes.indexOf("Content-Length: ") + 16;
            return socket.state() == QAbstractSocket::UnconnectedState ||
                   (end >= 0 && at >= 16 &&
                    bytes.size() >= end + 4 + bytes.mid(at, bytes.indexOf('\r', at) - at).toInt());
        },
        5000);
    const qsizetype end = bytes.indexOf("\r\n\r\n");
    Reply reply;
    reply.status = bytes.mid(9, 3).toInt();
    reply.head = bytes.left(end);
    reply.body = end < 0 ? QByteArray() : bytes.mid(end + 4);
    reply.json = QJsonDocument::fromJson(reply.body).object();
    const qsizetype at = reply.head.indexOf("quiztoken=") + 10;
    reply.token = at < 10 ? "" : reply.head.mid(at, reply.head.indexOf(';', at) - at);
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

QByteArray answer(int number, int attempt, int choice, const QByteArray &token)
{
    const QJsonObject body{{"number", number}, {"try", attempt}, {"choice", choice}};
    return request("POST", "/api/answer", QJsonDocument(body).toJson(), token);
}

// A class on the loopback address.
struct Class
{
    classroom::Session session{QStringLiteral("book.Q"), QBookHeader{}, book};
    classroom::Server server{session};

    explicit Class(bool onechance = false)
    {
        (void)session.setoptions({onechance, false, false, false});
        if (!server.listen(QHostAddress::LocalHost, 0))
            qFatal("cannot listen: %s", qPrintable(server.error()));
    }
    Reply send(const QByteArray &bytes) { return exchange(server.port(), bytes); }
    Reply state(const QByteArray &token = {})
    {
        return send(request("GET", "/api/state", {}, token));
    }
    Reply join(const QString &name, const QString &code = {})
    {
        const QJsonObject body{{"code", code.isNull() ? session.code() : code}, {"name", name}};
        return send(request("POST", "/api/join", QJsonDocument(body).toJson()));
    }
};

} // namespace

class tst_classroom : public QObject
{
    Q_OBJECT

private slots:
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

void tst_classroom::rightAnswerHiddenUntilLastTry()
{
    Class c;
    const QByteArray token = c.join("Ann").token;
    // Nothing in a try-again reply tells the buttons apart.
    const QStringList keys = {"message", "points", "result", "state"};
    QCOMPARE(c.send(answer(1, 1, 0, token)).json.keys(), keys);
    QCOMPARE(c.send(answer(1, 2, 2, token)).json["right"], "b");
    Class once(true);
    QCOMPARE(once.send(answer(1, 1, 0, once.join("Bob").token)).json["right"], "b");
}

void tst_classroom::answersNeedOwnTokenOncePerTry()
{
    Class c;
    const QByteArray ann = c.join("Ann").token;
    QCOMPARE(c.send(answer(1, 1, 1, {})).status, 401);
    QCOMPARE(c.send(answer(1, 1, 1, "f00d")).status, 401);
    QCOMPARE(c.send(answer(1, 1, 1, ann)).json["points"], 10);
    // The same request again, or the next question at a try it is not at, changes nothing.
    QCOMPARE(c.send(answer(1, 1, 1, ann)).status, 409);
    QCOMPARE(c.send(answer(2, 2, 0, ann)).status, 409);
    QCOMPARE(c.session.students()[0].score, 10);
    QCOMPARE(c.session.students()[0].position, 1);
}

void tst_classroom::joiningNeedsCodeAndWrongCodesWait()
{
    Class c;
    const QString wrong = c.session.code() == "000000" ? "000001" : "000000";
    QCOMPARE(c.state().status, 401);
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
    const QByteArray token = c.join("Ann").token;
    bytes.replace("TOKEN", token).replace("CODE", c.session.code().toLatin1());
    QCOMPARE(c.send(bytes).status, status);
    QCOMPARE(c.session.students().size(), 1u);
    QVERIFY(c.session.students()[0].answers.empty());
    QCOMPARE(c.state(token).json["try"], 1);
}

void tst_classroom::htmlNameStaysText()
{
    Class c;
    const QString name = QStringLiteral("<script>alert(1)</script>");
    QCOMPARE(c.join(name).json["name"].toString(), name);
    // The page sets every text as text.
    const QByteArray script = c.send(request("GET", "/page.js")).body;
    QVERIFY(script.contains("textContent"));
    QVERIFY(!script.contains("innerHTML") && !script.contains("insertAdjacentHTML"));
}

void tst_classroom::everyReplyCarriesPolicy_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("status");
    QTest::newRow("page") << QByteArray("/") << 200;
    QTest::newRow("api") << QByteArray("/api/state") << 401;
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
    const QByteArray token = c.join("Ann").token;
    QJsonObject state = c.state(token).json;
    // Only sound questions, only filled slots.
    QCOMPARE(state["total"], 3);
    for (int choice : choices) {
        state = c.send(answer(state["number"].toInt(), state["try"].toInt(), choice, token))
                    .json["state"]
                    .toObject();
        if (state["number"] == 2)
            QCOMPARE(state["answers"].toArray().size(), 3);
    }
    QCOMPARE(state["finished"], true);
    QCOMPARE(state["score"], score);
    QCOMPARE(state["winner"], score == 30);
    const auto attempts = c.session.end();
    for (int k = 0; k < outcomes.size(); ++k)
        QCOMPARE(int(attempts[0].answers[k].outcome), int(outcomes[k]));
}

void tst_classroom::reloadResumesByToken()
{
    Class c;
    const QByteArray token = c.join("Ann").token;
    (void)c.send(answer(1, 1, 1, token));
    (void)c.send(answer(2, 1, 0, token));
    const QJsonObject state = c.state(token).json;
    QCOMPARE(state["name"], "Ann");
    QCOMPARE(state["number"], 2);
    QCOMPARE(state["try"], 2);
    QCOMPARE(state["disabled"], 0);
    QCOMPARE(state["score"], 10);
}

void tst_classroom::endedClassStopsAnswersAndListening()
{
    Class c;
    const QByteArray token = c.join("Ann").token;
    const quint16 port = c.server.port();
    (void)c.session.end();
    QCOMPARE(c.send(answer(1, 1, 1, token)).status, 410);
    c.server.close();
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(!socket.waitForConnected(2000));
}

void tst_classroom::badInputRunLeavesAnswers()
{
    Class c;
    const QByteArray token = c.join("Ann").token;
    QCOMPARE(c.send(answer(1, 1, 1, token)).json["points"], 10);
    // Question 1 is answered: any form of this request must change nothing.
    const QByteArray stale = answer(1, 1, 0, token);
    auto *random = QRandomGenerator::global();
    for (int i = 0; i < 2000; ++i) {
        QByteArray bytes = stale;
        switch (i % 4) {
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
        }
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, c.server.port());
        socket.write(bytes);
        (void)socket.waitForBytesWritten(1000);
        QCoreApplication::processEvents();
    }
    const classroom::Student &ann = c.session.students()[0];
    QCOMPARE(ann.answers.size(), 1u);
    QCOMPARE(ann.answers[0].first, 'B');
    QCOMPARE(ann.score, 10);
    QCOMPARE(c.send(answer(2, 1, 2, token)).json["points"], 10);
}

QTEST_GUILESS_MAIN(tst_classroom)
#include "tst_classroom.moc"

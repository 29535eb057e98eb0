#include "classroom/server.h"

#include "classroom/session.h"

#include <QFile>
#include <QHttpServer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

// The page lives in this static library's resources, which the linker keeps only when asked.
static void initpage()
{
    Q_INIT_RESOURCE(classroom);
}

namespace classroom {

namespace {

// The bytes a connection may send before an answer: a request's head and its largest body.
constexpr qint64 maxrequestbytes = 16 * 1024;
// A connection quiet this long is closed, so a request the HTTP module cannot read (it then
// stops listening to the connection without a word) does not hold a socket for ever.
constexpr int idletimeoutms = 30 * 1000;

using Status = QHttpServerResponse::StatusCode;

// Accepts connections and cuts those that send more than one request can hold; the HTTP
// module itself reads a body of any size into memory before a handler sees it.
class GuardedServer final : public QTcpServer
{
public:
    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        auto *idle = new QTimer(socket);
        idle->setSingleShot(true);
        idle->start(idletimeoutms);
        connect(idle, &QTimer::timeout, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        auto unanswered = std::make_shared<qint64>(0);
        // Connected before the HTTP module's own slot, so it runs first.
        connect(socket, &QIODevice::readyRead, socket, [socket, idle, unanswered] {
            *unanswered += socket->bytesAvailable();
            idle->start(idletimeoutms);
            // Cut after the module's own slot has run, so it never reads a closed socket.
            if (*unanswered > maxrequestbytes)
                QMetaObject::invokeMethod(socket, &QAbstractSocket::disconnectFromHost,
                                          Qt::QueuedConnection);
        });
        connect(socket, &QIODevice::bytesWritten, socket, [idle, unanswered] {
            *unanswered = 0;
            idle->start(idletimeoutms);
        });
        addPendingConnection(socket);
    }
};

struct Resource
{
    const char *path;
    const char *file;
    const char *mime;
};

// Everything a request can fetch: no path from a request reaches the file system.
constexpr std::array resources = {
    Resource{"/", ":/classroom/page/index.html", "text/html; charset=utf-8"},
    Resource{"/page.css", ":/classroom/page/page.css", "text/css; charset=utf-8"},
    Resource{"/page.js", ":/classroom/page/page.js", "text/javascript; charset=utf-8"},
};

QHttpServerResponse secured(QHttpServerResponse &&response)
{
    response.setHeader("Content-Security-Policy",
                       "default-src 'self'; script-src 'self'; style-src 'self'; img-src 'self'; "
                       "connect-src 'self'; object-src 'none'; base-uri 'none'; "
                       "form-action 'self'; frame-ancestors 'none'");
    response.setHeader("X-Content-Type-Options", "nosniff");
    response.setHeader("Referrer-Policy", "no-referrer");
    response.setHeader("Cache-Control", "no-store");
    return std::move(response);
}

QHttpServerResponse json(const QJsonObject &object, Status status = Status::Ok)
{
    return secured(QHttpServerResponse(object, status));
}

QHttpServerResponse failure(const QString &message, Status status)
{
    return json(QJsonObject{{"error", message}}, status);
}

QByteArray header(const QHttpServerRequest &request, QByteArrayView name)
{
    for (const auto &[key, value] : request.headers()) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QByteArray tokenof(const QHttpServerRequest &request)
{
    for (const QByteArray &cookie : header(request, "Cookie").split(';')) {
        const QByteArray pair = cookie.trimmed();
        if (pair.startsWith("quiztoken="))
            return pair.mid(10);
    }
    return {};
}

// The body as a JSON object; nothing for a body too big, not JSON or not an object.
std::optional<QJsonObject> bodyof(const QHttpServerRequest &request, Status *status)
{
    bool ok = false;
    const QByteArray length = header(request, "Content-Length");
    const qint64 declared = length.toLongLong(&ok);
    if ((!length.isEmpty() && (!ok || declared > maxbodybytes)) ||
        request.body().size() > maxbodybytes) {
        *status = Status::PayloadTooLarge;
        return std::nullopt;
    }
    const QJsonDocument document = QJsonDocument::fromJson(request.body());
    *status = Status::BadRequest;
    if (!document.isObject())
        return std::nullopt;
    return document.object();
}

std::optional<int> whole(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (!value.isDouble() || value.toDouble() != double(value.toInt()))
        return std::nullopt;
    return value.toInt();
}

QString message(const Judged &judged)
{
    switch (judged.verdict) {
    case Verdict::Right:
        return QStringLiteral("Your answer is correct: %1 points added to your score")
            .arg(judged.points);
    case Verdict::TryAgain:
        return QStringLiteral("Sorry, your answer is wrong. Please try again.");
    case Verdict::Wrong:
        return QStringLiteral("Sorry, your answer is wrong. The correct answer is %1")
            .arg(judged.right);
    case Verdict::NotNow:
    case Verdict::Ended:
        break;
    }
    return {};
}

QHttpServerResponse join(Session &session, const QHttpServerRequest &request)
{
    Status status;
    const auto body = bodyof(request, &status);
    if (!body || !body->value("code").isString() || !body->value("name").isString())
        return failure(QStringLiteral("A code and a name are needed."),
                       body ? Status::BadRequest : status);
    QByteArray token;
    switch (session.join(body->value("code").toString(), body->value("name").toString(),
                         request.remoteAddress().toString(), &token)) {
    case JoinResult::Joined: {
        auto response = json(session.view(*session.student(token)));
        response.setHeader("Set-Cookie",
                           "quiztoken=" + token + "; Path=/; HttpOnly; SameSite=Strict");
        return response;
    }
    case JoinResult::WrongCode:
        return failure(QStringLiteral("That is not the class's code."), Status::Forbidden);
    case JoinResult::Waiting:
        return failure(QStringLiteral("Too many wrong codes: wait a minute, then try again."),
                       Status::TooManyRequests);
    case JoinResult::Full:
        return failure(QStringLiteral("The class is full"), Status::Forbidden);
    case JoinResult::BadName:
        return failure(QStringLiteral("Type a name of 1 to %1 characters.").arg(maxnamelength),
                       Status::BadRequest);
    case JoinResult::Ended:
        break;
    }
    return failure(QStringLiteral("The class has ended."), Status::Gone);
}

QHttpServerResponse state(const Session &session, const QHttpServerRequest &request)
{
    const Student *student = session.student(tokenof(request));
    if (!student)
        return failure(QStringLiteral("Join the class first."), Status::Unauthorized);
    return json(session.view(*student));
}

QHttpServerResponse answer(Session &session, const QHttpServerRequest &request)
{
    const QByteArray token = tokenof(request);
    if (!session.student(token))
        return failure(QStringLiteral("Join the class first."), Status::Unauthorized);
    Status status;
    const auto body = bodyof(request, &status);
    if (!body)
        return failure(QStringLiteral("That is not an answer."), status);
    const auto number = whole(*body, QStringLiteral("number"));
    const auto attempt = whole(*body, QStringLiteral("try"));
    const auto choice = whole(*body, QStringLiteral("choice"));
    if (!number || !attempt || !choice)
        return failure(QStringLiteral("That is not an answer."), Status::BadRequest);
    const Judged judged = session.answer(token, *number, *attempt, *choice);
    if (judged.verdict == Verdict::Ended)
        return failure(QStringLiteral("The class has ended."), Status::Gone);
    if (judged.verdict == Verdict::NotNow)
        return failure(QStringLiteral("That answer was given already."), Status::Conflict);
    static const char *const results[] = {"right", "again", "wrong"};
    QJsonObject reply{{"result", results[int(judged.verdict)]},
                      {"points", judged.points},
                      {"message", message(judged)},
                      {"state", session.view(*session.student(token))}};
    if (judged.verdict == Verdict::Wrong)
        reply.insert("right", judged.right);
    return json(reply);
}

} // namespace

Server::Server(Session &session, QObject *parent) : QObject(parent), m_session(session)
{
    initpage();
}

Server::~Server() = default;

bool Server::listen(const QHostAddress &address, quint16 port)
{
    close();
    auto tcp = std::make_unique<GuardedServer>();
    if (!tcp->listen(address, port)) {
        m_error = tcp->errorString();
        return false;
    }
    m_http = std::make_unique<QHttpServer>();
    m_tcp = tcp.release();
    m_tcp->setParent(m_http.get());
    m_http->bind(m_tcp);

    for (const Resource &resource : resources) {
        QFile file(QString::fromLatin1(resource.file));
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const QByteArray mime(resource.mime);
        m_http->route(QString::fromLatin1(resource.path), QHttpServerRequest::Method::Get,
                      [bytes, mime] { return secured(QHttpServerResponse(mime, bytes)); });
    }
    Session &session = m_session;
    m_http->route("/api/join", QHttpServerRequest::Method::Post,
                  [&session](const QHttpServerRequest &request) { return join(session, request); });
    m_http->route(
        "/api/state", QHttpServerRequest::Method::Get,
        [&session](const QHttpServerRequest &request) { return state(session, request); });
    m_http->route(
        "/api/answer", QHttpServerRequest::Method::Post,
        [&session](const QHttpServerRequest &request) { return answer(session, request); });
    m_http->setMissingHandler([](const QHttpServerRequest &, QHttpServerResponder &&responder) {
        failure(QStringLiteral("Not found."), Status::NotFound).write(std::move(responder));
    });
    return true;
}

void Server::close()
{
    m_http.reset();
    m_tcp = nullptr;
}

quint16 Server::port() const
{
    return m_tcp ? m_tcp->serverPort() : 0;
}

QStringList lanurls(quint16 port)
{
    QStringList urls;
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address.protocol() != QAbstractSocket::IPv4Protocol || address.isLoopback() ||
            address.isLinkLocal())
            continue;
        urls.append(QStringLiteral("http://%1:%2").arg(address.toString()).arg(port));
    }
    return urls;
}

} // namespace classroom

#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <memory>

class QHttpServer;
class QTcpServer;

// The student's side of a class over HTTP: the page from the program's resources and a small
// JSON API. It listens only between listen() and close(), on the one address and port given.
namespace classroom {

class Session;

// The most bytes a request's body may hold.
inline constexpr qint64 maxbodybytes = 4 * 1024;

class Server final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Server)

public:
    explicit Server(Session &session, QObject *parent = nullptr);
    ~Server() override;

    // False, with the reason in error(), when the address and port cannot be had.
    [[nodiscard]] bool listen(const QHostAddress &address, quint16 port);
    void close();
    [[nodiscard]] bool listening() const { return m_http != nullptr; }
    [[nodiscard]] quint16 port() const;
    [[nodiscard]] QString error() const { return m_error; }

private:
    Session &m_session;
    std::unique_ptr<QHttpServer> m_http;
    QTcpServer *m_tcp = nullptr;
    QString m_error;
};

// The addresses of this machine that the local network reaches, as a student types them.
[[nodiscard]] QStringList lanurls(quint16 port);

} // namespace classroom

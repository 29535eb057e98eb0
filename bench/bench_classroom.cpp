// A class under load: qbook serve hosts a 40-question book on the loopback address and 300
// simulated students take it at once, each on its own connection, every one answering as fast
// as the replies come. Reports the round trip of an answer (median, 99th percentile, worst),
// whether every answer was recorded, and the server's CPU time and peak memory.
// Usage: bench_classroom [students] [questions]
#include "storage/modquiz.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include <csignal>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Student
{
    int number = 0;
    QTcpSocket socket;
    QByteArray buffer;
    QByteArray token;
    QJsonObject state;
    Clock::time_point sent;
    int points = 0;
    int answers = 0;
    bool done = false;
};

// The server's CPU seconds (user and system) and peak resident memory in KiB, from /proc.
std::pair<double, long> usage(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    double cpu = 0;
    if (stat.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> fields = stat.readAll().split(')').last().split(' ');
        cpu = double(fields.value(12).toLongLong() + fields.value(13).toLongLong()) /
              double(sysconf(_SC_CLK_TCK));
    }
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    long peak = 0;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                peak = line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return {cpu, peak};
}

QByteArray post(const QByteArray &path, const QJsonObject &body, const QByteArray &token)
{
    const QByteArray json = QJsonDocument(body).toJson(QJsonDocument::Compact);
    QByteArray request = "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " +
                         QByteArray::number(json.size()) + "\r\n";
    if (!token.isEmpty())
        request += "Cookie: quiztoken=" + token + "\r\n";
    return request + "\r\n" + json;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int students = argc > 1 ? std::atoi(argv[1]) : 300;
    const int questions = argc > 2 ? std::atoi(argv[2]) : 40;

    QTemporaryDir folder;
    const QString bookpath = folder.filePath(QStringLiteral("class.Q"));
    QList<QuestionRecord> book{{}};
    for (int k = 1; k <= questions; ++k)
        book.append({QStringLiteral("Question %1 of the class, long enough to look real?").arg(k),
                     {"First answer", "Second answer", "Third answer", "Fourth answer"},
                     quint8(1 + k % 4)});
    QFile file(bookpath);
    const auto bytes = modquiz::serializebook({"Load", "Bench", "QB", 0}, book);
    if (!bytes || !file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size())
        return 1;
    file.close();

    QProcess server;
    // The class's results go to a results store of the run's own.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.path());
    server.setProcessEnvironment(environment);
    server.start(QStringLiteral(QBOOK_EXECUTABLE),
                 {"serve", bookpath, "--port", "0", "--bind", "127.0.0.1"});
    QByteArray banner;
    while (!banner.contains("Ctrl+C") && server.waitForReadyRead(10000))
        banner += server.readAllStandardOutput();
    const auto field = [&](const QByteArray &name) {
        const qsizetype at = banner.indexOf(name) + name.size();
        return banner.mid(at, banner.indexOf('\n', at) - at).trimmed();
    };
    const quint16 port = field("Address: http://127.0.0.1:").toUShort();
    const QString code = QString::fromLatin1(field("Code: "));
    if (port == 0) {
        std::fprintf(stderr, "qbook serve did not start: %s\n", banner.constData());
        return 1;
    }

    std::vector<double> roundtrips;
    roundtrips.reserve(size_t(students) * questions * 2);
    std::vector<std::unique_ptr<Student>> class_;
    int left = students;
    int failures = 0;
    const auto cpubefore = usage(server.processId()).first;
    const Clock::time_point start = Clock::now();

    const auto answer = [](Student &s) {
        const QJsonArray answers = s.state["answers"].toArray();
        // Some wrong, some right: the student's number picks the button.
        int choice = (s.number + s.state["number"].toInt()) % int(answers.size());
        if (choice == s.state["disabled"].toInt())
            choice = (choice + 1) % int(answers.size());
        s.sent = Clock::now();
        s.socket.write(post(
            "/api/answer",
            {{"number", s.state["number"]}, {"try", s.state["try"]}, {"choice", choice}}, s.token));
    };
    for (int i = 0; i < students; ++i) {
        auto student = std::make_unique<Student>();
        Student &s = *student;
        s.number = i;
        QObject::connect(&s.socket, &QTcpSocket::readyRead, [&, answer, student = &s] {
            Student &s = *student;
            s.buffer += s.socket.readAll();
            const qsizetype end = s.buffer.indexOf("\r\n\r\n");
            const qsizetype at = s.buffer.indexOf("Content-Length: ");
            if (end < 0 || at < 0)
                return;
            const qsizetype length =
                s.buffer.mid(at + 16, s.buffer.indexOf('\r', at) - at - 16).toInt();
            if (s.buffer.size() < end + 4 + length)
                return;
            const QByteArray head = s.buffer.left(end);
            const QJsonObject reply =
                QJsonDocument::fromJson(s.buffer.mid(end + 4, length)).object();
            s.buffer.remove(0, end + 4 + length);
            if (!head.startsWith("HTTP/1.1 200")) {
                ++failures;
                s.done = true;
            } else if (s.token.isEmpty()) {
                const qsizetype t = head.indexOf("quiztoken=") + 10;
                s.token = head.mid(t, head.indexOf(';', t) - t);
                s.state = reply;
            } else {
                roundtrips.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - s.sent).count());
                ++s.answers;
                s.points += reply["points"].toInt();
                s.state = reply["state"].toObject();
            }
            if (!s.done && s.state["finished"].toBool()) {
                s.done = true;
                failures += s.state["score"].toInt() != s.points;
            }
            if (s.done) {
                if (--left == 0)
                    QCoreApplication::quit();
                return;
            }
            answer(s);
        });
        s.socket.connectToHost(QHostAddress::LocalHost, port);
        s.socket.write(
            post("/api/join", {{"code", code}, {"name", QStringLiteral("Student %1").arg(i)}}, {}));
        class_.push_back(std::move(student));
    }
    QTimer::singleShot(600000, &app, &QCoreApplication::quit);
    app.exec();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const auto [cpuafter, peak] = usage(server.processId());

    ::kill(pid_t(server.processId()), SIGTERM);
    server.waitForFinished(30000);
    const QByteArray out = server.readAllStandardOutput();
    const int results = int(out.count("Result: "));
    const int finished = int(out.count(", finished\n"));

    std::sort(roundtrips.begin(), roundtrips.end());
    const auto percentile = [&](double p) {
        return roundtrips.empty() ? 0.0 : roundtrips[size_t(p * double(roundtrips.size() - 1))];
    };
    int asked = 0;
    for (const auto &s : class_)
        asked += s->done && s->state["finished"].toBool() ? 1 : 0;
    std::printf("%d students, %d questions each: %zu answers in %.2f s (%.0f answers/s)\n",
                students, questions, roundtrips.size(), seconds,
                double(roundtrips.size()) / seconds);
    std::printf("answer round trip: median %.2f ms, p99 %.2f ms, worst %.2f ms\n", percentile(0.5),
                percentile(0.99), roundtrips.empty() ? 0.0 : roundtrips.back());
    std::printf("students finished: %d of %d; replies refused or scores differing: %d\n", asked,
                students, failures);
    std::printf("results written by the server: %d, finished: %d\n", results, finished);
    std::printf("server: %.2f s of CPU (%.0f%% of one core), peak memory %.1f MiB\n",
                cpuafter - cpubefore, 100.0 * (cpuafter - cpubefore) / seconds,
                double(peak) / 1024.0);
    return asked == students && failures == 0 && finished == students ? 0 : 1;
}

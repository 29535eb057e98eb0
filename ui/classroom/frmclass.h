#pragma once

#include "results/attempt.h"

#include <QHostAddress>
#include <QList>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QImage;
class QCloseEvent;
class QLabel;
class QPushButton;
class QTableWidget;
struct QBookHeader;
struct QuestionRecord;

namespace results {
class Store;
}
namespace classroom {
class Server;
class Session;
} // namespace classroom

// The Class window: hosts the open book for a room of students on the local network, shows
// where they join and how they do, and ends the class with every student's attempt kept.
class frmclass final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmclass)

public:
    using Sink = std::function<void(const results::Attempt &)>;

    // questions as the working state holds them. The class is open once listening() is true:
    // on port, or any free port when it is taken. Without a sink the attempts go to the
    // results store.
    frmclass(const QString &bookpath, const QBookHeader &header,
             const QList<QuestionRecord> &questions, const results::Options &options,
             const Sink &sink, const QHostAddress &address, quint16 port,
             QWidget *parent = nullptr);
    ~frmclass() override;

    // Quiz > Host a Class...: the book open for running or editing; with none, the picker asks
    // for one, which is read for the class alone. One class at a time: a second call brings
    // the open one to the front.
    static frmclass *host(QWidget *frame, const results::Options &options, const Sink &sink = {});

    // Ends the open class, if any, as End Class does: for the program's Exit, which ends the
    // process without closing its windows.
    static void endopenclass();
    // Ends the open class and closes its window: the program ends with its main window.
    static void closeopenclass();

    [[nodiscard]] bool listening() const;
    [[nodiscard]] classroom::Session &session() const { return *m_session; }

    // --- Handlers -------------------------------------------------------------------------
    void options_Click();
    // Stops answers, shows the final table, hands every attempt to the sink; once only.
    void cmdend_Click();
    void cmdexport_Click();
    // Closing the window ends the class as End Class does.
    void Form_Unload();

    // --- Controls -------------------------------------------------------------------------
    QLabel *labaddress = nullptr;
    QLabel *labcode = nullptr;
    QLabel *picqr = nullptr;
    QCheckBox *chkonechance = nullptr;
    QCheckBox *chkshufflequestions = nullptr;
    QCheckBox *chkshuffleanswers = nullptr;
    QTableWidget *lststudents = nullptr;
    QLabel *labchoices = nullptr;
    QPushButton *cmdend = nullptr;
    QPushButton *cmdexport = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showstudent(int index);
    void showchoices();

    std::unique_ptr<results::Store> m_store;
    QString m_unkept; // why an attempt could not be kept
    std::unique_ptr<classroom::Session> m_session;
    std::unique_ptr<classroom::Server> m_server;
};

// The students' table as CSV: UTF-8 with a byte-order mark, and no cell a spreadsheet would
// take for a formula.
[[nodiscard]] QByteArray classcsv(const classroom::Session &session);

// A QR code of text, black on white with its quiet zone, scale pixels to a module.
[[nodiscard]] QImage qrimage(const QString &text, int scale);

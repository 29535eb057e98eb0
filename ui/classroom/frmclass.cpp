#include "ui/classroom/frmclass.h"

#include "classroom/server.h"
#include "classroom/session.h"
#include "platform/filedialog.h"
#include "platform/files.h"
#include "platform/msgbox.h"
#include "results/store.h"
#include "storage/modquiz.h"
#include "ui/dialogs/bookchooser.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <qrencode.h>

namespace {

// The port students type when it is free; any free one otherwise.
constexpr quint16 classport = 8080;

QPointer<frmclass> openclass;

QString csvcell(QString text)
{
    // A spreadsheet runs a cell that starts like a formula; a leading quote keeps it text.
    if (!text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text.front()))
        text.prepend(QLatin1Char('\''));
    return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

QString reached(const classroom::Student &student)
{
    if (student.finished())
        return QStringLiteral("%1 of %1").arg(student.order.size());
    return QStringLiteral("%1 of %2").arg(student.position + 1).arg(student.order.size());
}

} // namespace

QImage qrimage(const QString &text, int scale)
{
    const QByteArray bytes = text.toUtf8();
    std::unique_ptr<QRcode, void (*)(QRcode *)> code(
        QRcode_encodeString(bytes.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), QRcode_free);
    if (!code)
        return {};
    constexpr int quiet = 4;
    const int size = code->width + 2 * quiet;
    QImage image(size, size, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if (code->data[y * code->width + x] & 1)
                image.setPixelColor(x + quiet, y + quiet, Qt::black);
        }
    }
    return image.scaled(size * scale, size * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QByteArray classcsv(const classroom::Session &session)
{
    QString text = QStringLiteral("\uFEFFName,Question reached,Score,Maximum,Finished\r\n");
    for (const classroom::Student &student : session.students()) {
        text += csvcell(student.name) + QLatin1Char(',') + csvcell(reached(student)) +
                QStringLiteral(",%1,%2,%3\r\n")
                    .arg(student.score)
                    .arg(student.maximum())
                    .arg(student.finished() ? QStringLiteral("yes") : QStringLiteral("no"));
    }
    return text.toUtf8();
}

frmclass::frmclass(const QString &bookpath, const QBookHeader &header,
                   const QList<QuestionRecord> &questions, const results::Options &options,
                   const Sink &sink, const QHostAddress &address, quint16 port, QWidget *parent)
    : QWidget(parent, Qt::Window),
      m_session(std::make_unique<classroom::Session>(bookpath, header, questions)),
      m_server(std::make_unique<classroom::Server>(*m_session))
{
    setWindowTitle(QStringLiteral("Class - %1").arg(header.category));
    (void)m_session->setoptions(options);
    m_session->setsink(sink);
    if (!sink) {
        m_store = std::make_unique<results::Store>();
        m_session->setsink([this](const results::Attempt &attempt) {
            if (!m_store->record(attempt))
                m_unkept = m_store->error();
        });
    }

    const auto named = [](auto *widget, const char *name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };
    labaddress = named(new QLabel(this), "labaddress");
    labaddress->setTextInteractionFlags(Qt::TextSelectableByMouse);
    labcode = named(new QLabel(this), "labcode");
    QFont big = labcode->font();
    big.setPointSizeF(big.pointSizeF() * 2.5);
    big.setBold(true);
    labcode->setFont(big);
    labcode->setTextInteractionFlags(Qt::TextSelectableByMouse);
    picqr = named(new QLabel(this), "picqr");
    chkonechance = named(new QCheckBox(QStringLiteral("&One Chance"), this), "chkonechance");
    chkshufflequestions =
        named(new QCheckBox(QStringLiteral("Shuffle &Questions"), this), "chkshufflequestions");
    chkshuffleanswers =
        named(new QCheckBox(QStringLiteral("Shuffle &Answers"), this), "chkshuffleanswers");
    chkonechance->setChecked(options.onechance);
    chkshufflequestions->setChecked(options.shufflequestions);
    chkshuffleanswers->setChecked(options.shuffleanswers);
    lststudents = named(new QTableWidget(0, 4, this), "lststudents");
    lststudents->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Question"),
                                            QStringLiteral("Score"), QStringLiteral("Finished")});
    lststudents->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lststudents->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    lststudents->verticalHeader()->hide();
    labchoices = named(new QLabel(this), "labchoices");
    labchoices->setWordWrap(true);
    labchoices->setTextFormat(Qt::PlainText);
    cmdend = named(new QPushButton(QStringLiteral("&End Class"), this), "cmdend");
    cmdexport = named(new QPushButton(QStringLiteral("&Export Results..."), this), "cmdexport");
    cmdexport->setEnabled(false);

    auto *options_ = new QGroupBox(QStringLiteral("Options"), this);
    auto *optionslayout = new QVBoxLayout(options_);
    for (QCheckBox *box : {chkonechance, chkshufflequestions, chkshuffleanswers}) {
        optionslayout->addWidget(box);
        connect(box, &QCheckBox::toggled, this, &frmclass::options_Click);
    }
    auto *join = new QLabel(QStringLiteral("Students open this address and type the code:"), this);
    auto *layout = new QGridLayout(this);
    layout->addWidget(join, 0, 0);
    layout->addWidget(labaddress, 1, 0);
    layout->addWidget(labcode, 2, 0);
    layout->addWidget(picqr, 3, 0, Qt::AlignLeft);
    layout->addWidget(options_, 4, 0, Qt::AlignTop);
    layout->setRowStretch(4, 1);
    layout->addWidget(lststudents, 0, 1, 5, 2);
    layout->addWidget(labchoices, 5, 0, 1, 3);
    layout->addWidget(cmdend, 6, 1);
    layout->addWidget(cmdexport, 6, 2);
    layout->setColumnStretch(1, 1);
    resize(820, 560);

    connect(m_session.get(), &classroom::Session::joined, this, &frmclass::showstudent);
    connect(m_session.get(), &classroom::Session::advanced, this, &frmclass::showstudent);
    connect(m_session.get(), &classroom::Session::choiceschanged, this, &frmclass::showchoices);
    connect(cmdend, &QPushButton::clicked, this, &frmclass::cmdend_Click);
    connect(cmdexport, &QPushButton::clicked, this, &frmclass::cmdexport_Click);

    if (!m_server->listen(address, port) && (port == 0 || !m_server->listen(address, 0)))
        return;
    QStringList urls;
    if (address == QHostAddress::AnyIPv4)
        urls = classroom::lanurls(m_server->port());
    if (urls.isEmpty())
        urls.append(QStringLiteral("http://%1:%2")
                        .arg(address == QHostAddress::AnyIPv4 ? QStringLiteral("127.0.0.1")
                                                              : address.toString())
                        .arg(m_server->port()));
    labaddress->setText(urls.join(QLatin1Char('\n')));
    labcode->setText(m_session->code());
    picqr->setPixmap(
        QPixmap::fromImage(qrimage(urls.constFirst() + "/?code=" + m_session->code(), 4)));
    picqr->setAccessibleName(QStringLiteral("QR code of the address with the code"));
}

frmclass::~frmclass()
{
    cmdend_Click();
}

frmclass *frmclass::host(QWidget *frame, const results::Options &options, const Sink &sink)
{
    if (openclass && !openclass->session().ended()) {
        openclass->raise();
        openclass->activateWindow();
        return openclass;
    }
    const auto &s = modquiz::state();
    std::optional<ChosenBook> chosen;
    if (s.questions.isEmpty() && !(chosen = choosebook(frame)))
        return nullptr;
    auto *window = chosen ? new frmclass(chosen->path, chosen->file.header, chosen->file.questions,
                                         options, sink, QHostAddress::AnyIPv4, classport, frame)
                          : new frmclass(s.qbpath, s.qbheader, s.questions, options, sink,
                                         QHostAddress::AnyIPv4, classport, frame);
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (!window->listening()) {
        platform::msgbox(
            QStringLiteral("The class cannot be hosted: %1").arg(window->m_server->error()));
        delete window;
        return nullptr;
    }
    openclass = window;
    window->show();
    return window;
}

void frmclass::endopenclass()
{
    if (openclass)
        openclass->cmdend_Click();
}

void frmclass::closeopenclass()
{
    if (openclass)
        openclass->close();
}

bool frmclass::listening() const
{
    return m_server->listening();
}

void frmclass::options_Click()
{
    (void)m_session->setoptions({chkonechance->isChecked(), chkshufflequestions->isChecked(),
                                 chkshuffleanswers->isChecked(), false});
}

void frmclass::showstudent(int index)
{
    const classroom::Student &student = m_session->students()[size_t(index)];
    for (QCheckBox *box : {chkonechance, chkshufflequestions, chkshuffleanswers})
        box->setEnabled(false);
    if (index >= lststudents->rowCount())
        lststudents->setRowCount(index + 1);
    const QStringList cells = {student.name, reached(student), QString::number(student.score),
                               student.finished() ? QStringLiteral("Yes") : QString()};
    for (int column = 0; column < cells.size(); ++column)
        lststudents->setItem(index, column, new QTableWidgetItem(cells[column]));
}

void frmclass::showchoices()
{
    const int booknumber = m_session->busiestquestion();
    if (booknumber == 0)
        return labchoices->clear();
    const QuestionRecord &question = m_session->question(booknumber);
    const std::array<int, 4> counts = m_session->choices(booknumber);
    QStringList parts;
    for (int slot = 0; slot < 4; ++slot) {
        if (!question.answers[slot].isEmpty())
            parts.append(QStringLiteral("%1 %2: %3")
                             .arg(QChar(u'A' + slot))
                             .arg(question.answers[slot])
                             .arg(counts[slot]));
    }
    labchoices->setText(QStringLiteral("Most students are on \"%1\". First answers: %2")
                            .arg(question.question, parts.join(QStringLiteral(", "))));
}

void frmclass::cmdend_Click()
{
    if (m_session->ended())
        return;
    m_server->close();
    (void)m_session->end();
    for (int index = 0; index < int(m_session->students().size()); ++index)
        showstudent(index);
    cmdend->setEnabled(false);
    cmdexport->setEnabled(true);
    labaddress->setText(QStringLiteral("The class has ended."));
    picqr->clear();
    // Told once the class is over: a message in the middle of a class would hold up answers.
    if (!m_unkept.isEmpty())
        platform::msgbox(QStringLiteral("Results cannot be kept: ") + m_unkept);
}

void frmclass::cmdexport_Click()
{
    const QString title = QStringLiteral("Export Results");
    const platform::FileChoice choice = platform::askfile(
        {platform::FileMode::Save, title, {}, {QStringLiteral("CSV files (*.csv)")}, {}});
    if (choice.path.isEmpty())
        return;
    QString why;
    if (platform::replacefile(choice.path, classcsv(*m_session),
                              platform::LinkHandling::WriteTarget,
                              &why) != platform::ReplaceResult::Ok)
        platform::msgbox(QStringLiteral("Cannot write %1: %2").arg(choice.path, why),
                         platform::Buttons::Ok, title);
}

void frmclass::Form_Unload()
{
    cmdend_Click();
}

void frmclass::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

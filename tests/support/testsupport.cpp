#include "tests/support/testsupport.h"

#include "platform/files.h"
#include "platform/process.h"
#include "platform/settings.h"
#include "storage/modquiz.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QWidget>

#include <csignal>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char *buttonsname(platform::Buttons buttons)
{
    switch (buttons) {
    case platform::Buttons::Ok:
        return "OK";
    case platform::Buttons::OkCancel:
        return "OK/Cancel";
    case platform::Buttons::YesNo:
        return "Yes/No";
    case platform::Buttons::YesNoCancel:
        return "Yes/No/Cancel";
    }
    return "?";
}

QString visible(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return text;
}

// Installed before any test function runs.
[[maybe_unused]] const bool guarded = [] {
    guardprompts();
    return true;
}();

} // namespace

namespace {

void guardmessages()
{
    platform::setmsgboxhandler([](const QString &text, platform::Buttons, const QString &title) {
        QTest::qFail(
            qPrintable(
                QStringLiteral("unscripted message box: \"%1\" [%2]").arg(visible(text), title)),
            __FILE__, __LINE__);
        return platform::Answer::Cancel;
    });
}

void guardmodals()
{
    platform::setmodalhandler([](QDialog *dialog) {
        QTest::qFail(
            qPrintable(QStringLiteral("unscripted modal window \"%1\"").arg(dialog->windowTitle())),
            __FILE__, __LINE__);
        dialog->close();
    });
}

} // namespace

void guardprompts()
{
    guardmessages();
    guardmodals();
}

ScriptedMessages::ScriptedMessages(std::initializer_list<ExpectedMessage> expected)
    : m_expected(expected)
{
    platform::setmsgboxhandler(
        [this](const QString &text, platform::Buttons buttons, const QString &title) {
            return answer(text, buttons, title);
        });
}

ScriptedMessages::~ScriptedMessages()
{
    guardmessages();
}

void ScriptedMessages::expect(const ExpectedMessage &message)
{
    m_expected.push_back(message);
}

bool ScriptedMessages::done() const
{
    return m_expected.empty() && m_problem.isEmpty();
}

QByteArray ScriptedMessages::problem() const
{
    if (!m_problem.isEmpty())
        return m_problem.toUtf8();
    if (!m_expected.empty())
        return QStringLiteral("expected message not shown: \"%1\"")
            .arg(visible(m_expected.front().text))
            .toUtf8();
    return {};
}

platform::Answer ScriptedMessages::answer(const QString &text, platform::Buttons buttons,
                                          const QString &title)
{
    m_shown.append(text);
    const QString got = QStringLiteral("\"%1\" [%2] %3")
                            .arg(visible(text), title, QLatin1String(buttonsname(buttons)));
    if (m_expected.empty()) {
        if (m_problem.isEmpty())
            m_problem = QStringLiteral("unexpected message: ") + got;
        QTest::qFail(qPrintable(QStringLiteral("unexpected message: ") + got), __FILE__, __LINE__);
        return platform::Answer::Cancel;
    }
    const ExpectedMessage next = m_expected.front();
    m_expected.pop_front();
    if (next.text != text || next.title != title || next.buttons != buttons) {
        const QString want =
            QStringLiteral("\"%1\" [%2] %3")
                .arg(visible(next.text), next.title, QLatin1String(buttonsname(next.buttons)));
        const QString message = QStringLiteral("message %1 differs: got %2, expected %3")
                                    .arg(m_shown.size())
                                    .arg(got, want);
        if (m_problem.isEmpty())
            m_problem = message;
        QTest::qFail(qPrintable(message), __FILE__, __LINE__);
    }
    return next.answer;
}

ScriptedModal::ScriptedModal(std::initializer_list<Step> steps) : m_steps(steps)
{
    platform::setmodalhandler([this](QDialog *dialog) {
        ++m_shown;
        if (m_steps.empty()) {
            ++m_unexpected;
            QTest::qFail(
                qPrintable(
                    QStringLiteral("unexpected modal window \"%1\"").arg(dialog->windowTitle())),
                __FILE__, __LINE__);
            dialog->close();
            return;
        }
        const Step step = m_steps.front();
        m_steps.pop_front();
        step(dialog);
    });
}

ScriptedModal::~ScriptedModal()
{
    guardmodals();
}

void ScriptedModal::add(Step step)
{
    m_steps.push_back(std::move(step));
}

ScriptedFiles::ScriptedFiles(std::initializer_list<Step> steps) : m_steps(steps)
{
    platform::setfiledialoghandler([this](const platform::FileRequest &request) {
        m_requests.append(request);
        if (m_steps.empty() || m_steps.front().mode != request.mode) {
            ++m_unexpected;
            QTest::qFail(
                qPrintable(QStringLiteral("unexpected file dialog \"%1\"").arg(request.title)),
                __FILE__, __LINE__);
            return platform::FileChoice();
        }
        const platform::FileChoice choice = m_steps.front().choice;
        m_steps.pop_front();
        return choice;
    });
}

ScriptedFiles::~ScriptedFiles()
{
    platform::setfiledialoghandler({});
}

ProcessEndRecorder::ProcessEndRecorder()
{
    platform::setendprocesshandler([this](int) { m_ended = true; });
}

ProcessEndRecorder::~ProcessEndRecorder()
{
    platform::setendprocesshandler({});
}

TestEnvironment::TestEnvironment()
    : m_oldfolder(QDir::currentPath()), m_olddata(qgetenv("XDG_DATA_HOME"))
{
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
    QDir(m_dir.path()).mkdir(QStringLiteral("config"));
    platform::setsettingsfolder(m_dir.filePath(QStringLiteral("config")));
    QDir::setCurrent(m_dir.path());
    platform::closeall();
    modquiz::resetstate();
}

TestEnvironment::~TestEnvironment()
{
    platform::closeall();
    modquiz::resetstate();
    guardprompts();
    QDir::setCurrent(m_oldfolder);
    qputenv("XDG_DATA_HOME", m_olddata);
}

QString TestEnvironment::folder() const
{
    return m_dir.path();
}

QString TestEnvironment::path(const QString &name) const
{
    return m_dir.filePath(name);
}

QString TestEnvironment::settingsfile() const
{
    return platform::settingsfile(QStringLiteral("Tarvel"));
}

QString TestEnvironment::copydata(const QString &name, const QString &as) const
{
    const QString target = path(as.isEmpty() ? name : as);
    QFile::remove(target);
    if (!QFile::copy(QStringLiteral(TESTDATA "/") + name, target))
        qWarning("cannot copy test data %s", qPrintable(name));
    QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    return target;
}

QString TestEnvironment::writebook(const QString &name, const QBookHeader &header,
                                   const QList<QuestionRecord> &questions) const
{
    QByteArray bytes;
    qbook::appendheader(bytes, header);
    for (const QuestionRecord &record : questions)
        qbook::appendrecord(bytes, record);
    const QString target = path(name);
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qWarning("cannot write test book %s", qPrintable(name));
    return target;
}

QuestionRecord makequestion(int n, int correct)
{
    QuestionRecord record;
    record.question = QStringLiteral("Question %1").arg(n);
    for (int i = 0; i < 4; ++i)
        record.answers[i] = QStringLiteral("Answer %1.%2").arg(n).arg(i + 1);
    record.correct = static_cast<quint8>(correct);
    return record;
}

QList<QuestionRecord> makequestions(int count)
{
    QList<QuestionRecord> list;
    for (int n = 1; n <= count; ++n)
        list.append(makequestion(n, (n - 1) % 4 + 1));
    return list;
}

QBookHeader makeheader(qint16 count, const QString &category, const QString &author)
{
    return QBookHeader{category, author, QStringLiteral("QB"), count};
}

QByteArray filebytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString focusname(const QWidget *window)
{
    const QWidget *focus = window->focusWidget();
    return focus ? focus->objectName() : QString();
}

int runinchild(const std::function<int()> &body, unsigned seconds)
{
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        alarm(seconds);
        _exit(body());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child)
        return -1000;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

bool makefifo(const QString &path)
{
    return mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
}

bool makedevice(const QString &path)
{
    // The numbers of the null device: reading gives nothing and writing is discarded, so a
    // program that wrongly reads or writes it finds it usable, as it would a real device.
    return mknod(QFile::encodeName(path).constData(), S_IFCHR | 0644, makedev(1, 3)) == 0;
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    getrlimit(RLIMIT_FSIZE, &m_old);
    m_oldhandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = m_old;
    limited.rlim_cur = bytes;
    m_ok = setrlimit(RLIMIT_FSIZE, &limited) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_oldhandler);
}

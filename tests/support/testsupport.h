#pragma once

#include "platform/filedialog.h"
#include "platform/msgbox.h"
#include "storage/qbook.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <initializer_list>
#include <sys/resource.h>

class QDialog;
class QWidget;

// Short names for scripts: {"text", Ok}, {"text", Cancel, "Save", YesNoCancel}.
inline constexpr auto Ok = platform::Answer::Ok;
inline constexpr auto Cancel = platform::Answer::Cancel;
inline constexpr auto Yes = platform::Answer::Yes;
inline constexpr auto No = platform::Answer::No;
inline constexpr auto OkOnly = platform::Buttons::Ok;
inline constexpr auto OkCancel = platform::Buttons::OkCancel;
inline constexpr auto YesNo = platform::Buttons::YesNo;
inline constexpr auto YesNoCancel = platform::Buttons::YesNoCancel;

// One message a test expects, with the answer the "user" gives.
struct ExpectedMessage
{
    QString text;
    platform::Answer answer = platform::Answer::Ok;
    QString title = QStringLiteral("Quiz");
    platform::Buttons buttons = platform::Buttons::Ok;
};

// Makes a message box or modal window that no script expects fail the running test at once
// instead of waiting for a user who is not there. In force from the start of every test
// program that links this support, and again whenever a script ends.
void guardprompts();

// Replaces every message box while it lives. Each message must match the next expected one
// exactly (text, title, buttons); anything else fails the running test at once.
class ScriptedMessages
{
public:
    ScriptedMessages(std::initializer_list<ExpectedMessage> expected = {});
    ~ScriptedMessages();
    ScriptedMessages(const ScriptedMessages &) = delete;
    ScriptedMessages &operator=(const ScriptedMessages &) = delete;

    void expect(const ExpectedMessage &message);
    // Every expected message was shown and nothing else.
    [[nodiscard]] bool done() const;
    // What went wrong, for QVERIFY2.
    [[nodiscard]] QByteArray problem() const;
    // Texts shown so far, in order.
    [[nodiscard]] QStringList shown() const { return m_shown; }

private:
    platform::Answer answer(const QString &text, platform::Buttons buttons, const QString &title);

    std::deque<ExpectedMessage> m_expected;
    QStringList m_shown;
    QString m_problem;
};

// Fails the running test unless the script's messages were all shown, and nothing else.
#define VERIFY_DONE(script) QVERIFY2((script).done(), (script).problem())

// Replaces showmodal() while it lives: each dialog shown is handed to the next step, which
// drives it through its handlers. A dialog with no step left fails the test and is closed.
class ScriptedModal
{
public:
    using Step = std::function<void(QDialog *)>;
    ScriptedModal(std::initializer_list<Step> steps = {});
    ~ScriptedModal();
    ScriptedModal(const ScriptedModal &) = delete;
    ScriptedModal &operator=(const ScriptedModal &) = delete;

    void add(Step step);
    [[nodiscard]] bool done() const { return m_steps.empty() && m_unexpected == 0; }
    [[nodiscard]] int shown() const { return m_shown; }

private:
    std::deque<Step> m_steps;
    int m_shown = 0;
    int m_unexpected = 0;
};

// Replaces every file dialog while it lives: each request must be of the planned mode and
// gets the planned choice (an empty path cancels). Any other request fails the test and is
// cancelled.
class ScriptedFiles
{
public:
    struct Step
    {
        platform::FileMode mode;
        platform::FileChoice choice;
    };
    ScriptedFiles(std::initializer_list<Step> steps = {});
    ~ScriptedFiles();
    ScriptedFiles(const ScriptedFiles &) = delete;
    ScriptedFiles &operator=(const ScriptedFiles &) = delete;

    [[nodiscard]] bool done() const { return m_steps.empty() && m_unexpected == 0; }
    // The requests seen so far, in order.
    [[nodiscard]] QList<platform::FileRequest> requests() const { return m_requests; }

private:
    std::deque<Step> m_steps;
    QList<platform::FileRequest> m_requests;
    int m_unexpected = 0;
};

// Records a request to end the process instead of ending it.
class ProcessEndRecorder
{
public:
    ProcessEndRecorder();
    ~ProcessEndRecorder();
    [[nodiscard]] bool ended() const { return m_ended; }

private:
    bool m_ended = false;
};

// A private world for one test: a temporary folder that is the current folder, a settings
// store inside it, the working state reset and no file open. Restores all of it at the end.
class TestEnvironment
{
public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment &) = delete;
    TestEnvironment &operator=(const TestEnvironment &) = delete;

    // The temporary folder (also the current folder at the start).
    [[nodiscard]] QString folder() const;
    [[nodiscard]] QString path(const QString &name) const;
    // The settings file of the application "Tarvel" in this environment.
    [[nodiscard]] QString settingsfile() const;
    // The user's data folder in this environment, where the results are kept.
    [[nodiscard]] QString datafolder() const { return m_data.path(); }
    // Copies tests/data/name into the folder (writable) and returns its path.
    QString copydata(const QString &name, const QString &as = {}) const;
    // Writes a book file; the header's count is written as given.
    QString writebook(const QString &name, const QBookHeader &header,
                      const QList<QuestionRecord> &questions) const;

private:
    QTemporaryDir m_dir;
    QString m_oldfolder;
    // The data folder (results) of its own, apart from the folder the test lists.
    QTemporaryDir m_data;
    QByteArray m_olddata;
};

// A question with simple texts: "Question n", "Answer n.1" .. "Answer n.4", correct answer.
[[nodiscard]] QuestionRecord makequestion(int n, int correct = 1);
[[nodiscard]] QList<QuestionRecord> makequestions(int count);
[[nodiscard]] QBookHeader makeheader(qint16 count, const QString &category = QStringLiteral("Cat"),
                                     const QString &author = QStringLiteral("Ann"));

// Reads a whole file, or an empty array.
[[nodiscard]] QByteArray filebytes(const QString &path);

// The objectName of the widget that has the focus in window, or an empty text.
[[nodiscard]] QString focusname(const QWidget *window);

// The control of a window by its objectName, as the panel that owns it names it.
template <typename T = QWidget> [[nodiscard]] T *control(const QObject &window, const QString &name)
{
    return window.findChild<T *>(name);
}

// Runs body in a child process with SIGXFSZ at its default action and an alarm after seconds,
// so that neither a signal nor a hang reaches the test itself. Returns the child's exit code,
// or minus the number of the signal that ended it.
[[nodiscard]] int runinchild(const std::function<int()> &body, unsigned seconds = 20);

// Special files in a test's own folder: a pipe, and a private character device node that
// reaches the null device (reads give nothing, writes are discarded).
[[nodiscard]] bool makefifo(const QString &path);
[[nodiscard]] bool makedevice(const QString &path);

// Limits the size of any file this process writes while it lives, with SIGXFSZ ignored so
// that a write past the limit fails instead of ending the process: a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    [[nodiscard]] bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    void (*m_oldhandler)(int) = nullptr;
    bool m_ok = false;
};

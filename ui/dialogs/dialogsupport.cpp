#include "ui/dialogs/dialogsupport.h"

#include "platform/fonts.h"
#include "platform/twips.h"

#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace dialogs {

int keyascii(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Escape:
        return 27;
    default:
        break;
    }
    const QString text = event->text();
    if (text.isEmpty())
        return -1;
    return text.at(0).unicode();
}

KeyPressFilter::KeyPressFilter(QWidget *control, Handler handler)
    : QObject(control), m_handler(std::move(handler))
{
    control->installEventFilter(this);
}

bool KeyPressFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    int code = keyascii(static_cast<QKeyEvent *>(event));
    if (code < 0)
        return false;
    m_handler(code);
    return code == 0;
}

void enterkey(int &keyascii, const QLineEdit *box, const std::function<void()> &then)
{
    if (keyascii != 13)
        return;
    keyascii = 0;
    if (!box->text().isEmpty())
        then();
}

bool ignoreescape(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape)
        return false;
    event->accept();
    return true;
}

void setupwindow(QDialog *dialog, const QString &title, int widthtwips, int heighttwips)
{
    dialog->setWindowTitle(title);
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog->setFixedSize(platform::twips(widthtwips), platform::twips(heighttwips));
    // Windows do not inherit their owner's font.
    dialog->setFont(platform::designfont(8.25));
    dialog->setSizeGripEnabled(false);
}

QString plaincaption(const QString &caption)
{
    QString plain = caption;
    plain.remove(QLatin1Char('&'));
    return plain;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, int left, int top,
                    int width, int height)
{
    auto *control = new QPushButton(caption, parent);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(platform::twipsrect(left, top, width, height));
    control->setAutoDefault(false);
    control->setDefault(false);
    control->setAccessibleName(plaincaption(caption));
    // No button is the default, yet Enter on the focused button presses it, as the space bar
    // does; Qt leaves Enter to default buttons only.
    new KeyPressFilter(control, [control](int &key) {
        if (key != 13)
            return;
        key = 0;
        control->click();
    });
    return control;
}

QLabel *label(QWidget *parent, const char *name, const QString &caption, int left, int top,
              int width, int height)
{
    auto *control = new QLabel(caption, parent);
    control->setObjectName(QLatin1String(name));
    // Labels show book data (a category, an author, a path) as it is, never as markup.
    control->setTextFormat(Qt::PlainText);
    control->move(platform::twips(left), platform::twips(top));
    if (width > 0 && height > 0)
        control->resize(platform::twips(width), platform::twips(height));
    else
        control->adjustSize();
    return control;
}

QLineEdit *textbox(QWidget *parent, const char *name, const QString &role, int left, int top,
                   int width, int height)
{
    auto *control = new QLineEdit(parent);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(platform::twipsrect(left, top, width, height));
    control->setAccessibleName(role);
    return control;
}

} // namespace dialogs

namespace dialogs {

QString refusedname(const QString &name)
{
    // The longest name a folder entry can have on the file systems the program runs on.
    constexpr qsizetype longestpart = 255;
    if (name.contains(QChar(0)))
        return QStringLiteral("The file name contains a character that file names cannot hold");
    const QStringList parts = name.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (part.toLocal8Bit().size() > longestpart)
            return QStringLiteral("The file name is too long");
    }
    return {};
}

QString unreadablefolder(const QString &folder)
{
    return QStringLiteral("Cannot open the folder ") + QDir::toNativeSeparators(folder);
}

QString unreadabledrive(const QString &drive)
{
    return QStringLiteral("Cannot read the drive ") + QDir::toNativeSeparators(drive);
}

} // namespace dialogs

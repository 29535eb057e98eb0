#include "ui/dialogs/frmabout.h"

#include "platform/msgbox.h"
#include "platform/twips.h"
#include "ui/dialogs/dialogsupport.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSize>

namespace {

// The first installed face of a list, else the toolkit's choice for the hint.
QFont displayfont(const QStringList &faces, QFont::StyleHint hint, qreal points)
{
    QFont font;
    for (const QString &face : faces) {
        if (QFontDatabase::hasFamily(face)) {
            font.setFamily(face);
            break;
        }
    }
    font.setStyleHint(hint);
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    return font;
}

// Where the window's inside starts, from the top of the screen.
constexpr int windowtop = 2835;

} // namespace

frmabout::frmabout(QWidget *parent) : QDialog(parent)
{
    dialogs::setupwindow(this, QStringLiteral("About"), 4590, 3150);

    Label1 = dialogs::label(this, "Label1", QStringLiteral("Quiz"), 0, 0, 1575, 855);
    Label1->setFont(
        displayfont({QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Nimbus Sans Narrow"),
                     QStringLiteral("Arial Narrow"), QStringLiteral("DejaVu Sans Condensed")},
                    QFont::SansSerif, 48));
    // A stand-in face may be wider than a condensed one: the title must not be cut.
    Label1->resize(qMax(Label1->width(), Label1->sizeHint().width()), Label1->height());

    Frame1 = new QGroupBox(QStringLiteral("Programmed by"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(platform::twipsrect(0, 960, 4575, 1575));

    Label3 = dialogs::label(Frame1, "Label3", QStringLiteral("The Quiz team"), 600, 360, 3495, 615);
    Label3->setFont(displayfont(
        {QStringLiteral("Z003"), QStringLiteral("URW Chancery L"), QStringLiteral("URW Gothic")},
        QFont::Decorative, 24));
    Label4 = dialogs::label(Frame1, "Label4", QStringLiteral("E-mail"), 840, 1080, 735, 255);
    Label2 = dialogs::label(Frame1, "Label2", QStringLiteral("quiz-team@example.org"), 1440, 1080,
                            2175, 255);

    Command1 = dialogs::button(this, "Command1", QStringLiteral("Bye"), 120, 2640, 4335, 375);
    connect(Command1, &QPushButton::clicked, this, &frmabout::Command1_Click);

    Form_Load();
    Command1->setFocus();
}

void frmabout::Form_Load()
{
    const int left = (platform::screensize().width() - width()) / 2;
    move(left, platform::twips(windowtop));
}

void frmabout::Command1_Click()
{
    accept();
}

void frmabout::keyPressEvent(QKeyEvent *event)
{
    if (!dialogs::ignoreescape(event))
        QDialog::keyPressEvent(event);
}

#include "platform/enterkey.h"

#include <QKeyEvent>
#include <QPushButton>

namespace {

class EnterPresses final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *button = qobject_cast<QPushButton *>(watched);
        if (!button || event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                           (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        // Pressed as the space bar presses it: a click by the user.
        if (enter && button->isEnabled()) {
            button->click();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

namespace platform {

void pressbuttonsonenter(QWidget *root)
{
    auto *filter = new EnterPresses(root);
    for (QPushButton *button : root->findChildren<QPushButton *>())
        button->installEventFilter(filter);
}

} // namespace platform

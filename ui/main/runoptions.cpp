#include "ui/main/runoptions.h"

#include "ui/main/quizsettings.h"
#include "ui/main/run/runpanel.h"

#include <QAction>
#include <QMenu>

using Practice = QuizSettings::Practice;

namespace {

// The settings of the practice options, in the order of RunOptions' options after One Chance.
constexpr std::array<Practice, 3> practices{Practice::ShuffleQuestions, Practice::ShuffleAnswers,
                                            Practice::ReviewMissed};

} // namespace

RunOptions::RunOptions(QMenu *menu, QAction *before) : QObject(menu)
{
    const std::array<std::pair<const char *, QString>, 4> items{{
        {"mnuonechance", QStringLiteral("&One Chance")},
        {"mnushufflequestions", QStringLiteral("S&huffle Questions")},
        {"mnushuffleanswers", QStringLiteral("Shuffle &Answers")},
        {"mnureviewmissed", QStringLiteral("&Review Missed Questions")},
    }};
    for (std::size_t i = 0; i < items.size(); ++i) {
        auto *action = new QAction(items[i].second, menu);
        action->setObjectName(QLatin1String(items[i].first));
        action->setCheckable(true);
        menu->insertAction(before, action);
        // A checkable action flips its own check mark before it reports the trigger; flip is the
        // one place that flips it, so undo Qt's flip first.
        const auto option = Option(i);
        connect(action, &QAction::triggered, this, [this, action, option](bool on) {
            action->setChecked(!on);
            flip(option);
        });
        m_items[i] = action;
    }
    m_items[OneChance]->setShortcut(Qt::CTRL | Qt::Key_O);
    m_items[OneChance]->setChecked(true);
}

bool RunOptions::checked(Option option) const
{
    return m_items.at(option)->isChecked();
}

void RunOptions::read()
{
    m_items[OneChance]->setChecked(QuizSettings::onechance());
    for (std::size_t i = 0; i < practices.size(); ++i)
        m_items[i + 1]->setChecked(QuizSettings::practice(practices[i]));
}

void RunOptions::flip(Option option)
{
    m_items.at(option)->setChecked(!checked(option));
    if (option == OneChance)
        QuizSettings::setonechance(checked(option));
    else
        QuizSettings::setpractice(practices.at(option - 1), checked(option));
}

void RunOptions::copyto(RunPanel &run) const
{
    run.setonechance(checked(OneChance));
    run.setpractice(checked(ShuffleQuestions), checked(ShuffleAnswers), checked(ReviewMissed));
}

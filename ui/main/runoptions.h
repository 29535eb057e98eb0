#pragma once

#include <QObject>

#include <array>

class QAction;
class QMenu;
class RunPanel;

// The Edit menu's run options: One Chance and the practice options, kept in the settings store
// and copied by the run panel when a run starts.
class RunOptions final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RunOptions)

public:
    enum Option { OneChance, ShuffleQuestions, ShuffleAnswers, ReviewMissed };

    // Adds the check items to menu before the item before; One Chance is checked until read.
    RunOptions(QMenu *menu, QAction *before);

    [[nodiscard]] QAction *item(Option option) const { return m_items.at(option); }
    // Check marks from the settings store.
    void read();
    // The one place that flips a check mark; stored at once, the option survives a crash or a
    // killed process.
    void flip(Option option);
    // The run's copies of the check marks.
    void copyto(RunPanel &run) const;

private:
    [[nodiscard]] bool checked(Option option) const;

    std::array<QAction *, 4> m_items{};
};

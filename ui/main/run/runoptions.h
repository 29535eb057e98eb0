#pragma once

#include <QString>

// The practice options of a run, each kept under a key of its own next to One Chance in the
// settings store, as "True" or "False". Off when nothing is stored.
namespace runoptions {

enum class Option { ShuffleQuestions, ShuffleAnswers, ReviewMissed };

[[nodiscard]] QString key(Option option);

// Only a stored "True" (any letter case) turns an option on; anything else leaves it off.
[[nodiscard]] bool read(Option option);

// Stored at once, at every toggle.
void write(Option option, bool on);

// One Chance, under its key "onechance": read by the usual text-to-boolean rule of the
// settings store, and on when nothing or anything else is stored.
[[nodiscard]] bool readonechance();
void writeonechance(bool on);

} // namespace runoptions

#pragma once

#include "storage/modquiz.h"

#include <QString>

#include <optional>

class QWidget;

// A book chosen with the picker in Open mode and read, opening nothing, for windows that look at
// a book of their own (its results, a class taking it).
struct ChosenBook
{
    QString path;
    modquiz::BookFile file;
};

// Nothing when the picker was cancelled, or, after its message, when the file is no quiz book.
[[nodiscard]] std::optional<ChosenBook> choosebook(QWidget *parent);

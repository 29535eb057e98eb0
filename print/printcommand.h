#pragma once

// The command "print" of the qbook tool: writes a book as an exam PDF, no display needed.
//
//   print BOOK.Q -o exam.pdf [--no-key] [--page-size A4|Letter] [--force]
//
// argv holds the arguments after "print" (argv[0] is not a program name). Creates its own
// application object on the offscreen platform when there is none, so call it before any
// QCoreApplication exists: a PDF needs fonts, which a core-only application cannot give.
// Returns 0 when the PDF was written, 1 when a file could not be read or written, 2 for a
// usage error; messages go to standard error, the usage with --help to standard output.
int qbookprint(int argc, char **argv);

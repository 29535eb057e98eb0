#!/bin/sh
# Only platform/files.cpp opens files for writing (the settings library writes its own file
# under platform/settings.cpp's checks): any other way of writing a file is listed and fails.
cd "$1" && ! grep -rnE --include='*.cpp' --include='*.h' --exclude-dir=tests --exclude-dir=bench \
    --exclude-dir=fuzz --exclude-dir='build*' --exclude-dir=.git \
    'QSaveFile|QTemporaryFile|QLockFile|QSettings|fstream|fopen|O_WRONLY|O_RDWR|O_CREAT|creat\(|WriteOnly|ReadWrite|Append\b|setOutputFileName|QFile::copy|QPdfWriter[^;]*\(' . |
    grep -vE '^\./platform/files\.(cpp|h):|^\./platform/settings\.cpp:|QPdfWriter[^;]*\([a-z.]*device\(\)\)|include <QPdfWriter>'

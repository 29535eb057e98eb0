// The quiz program: parses the command line, builds the main window and runs it.
#include "frmquiz.h"
#include "process.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    frmquiz window;
    window.Form_Load(platform::commandline());
    window.show();
    return app.exec();
}

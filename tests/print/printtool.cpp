// Stands in for "qbook print" in the tests: passes its arguments on as qbook will.
#include "printcommand.h"

int main(int argc, char *argv[])
{
    return qbookprint(argc - 1, argv + 1);
}

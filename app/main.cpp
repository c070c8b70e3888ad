#include <QApplication>

#include "mem_data.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    return 0;
}

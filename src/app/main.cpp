#include "shell/QtPlatform.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(tf::kProgramTitle);
    tf::setPlatform(std::make_unique<tf::QtPlatform>());
    return 0;
}

// hemu: the desktop program. Everything it does lives in hemucore and hemuui.
#include "ui/kit/hemuapp.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    return hemu::HemuApp::exec(app);
}

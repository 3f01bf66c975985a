#include "app/FrmMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    TFrmMain window;
    window.show();
    return app.exec();
}

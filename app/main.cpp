#include "app/FrmMain.h"
#include "app/WidgetDialogs.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    InstallWidgetDialogs();
    TFrmMain window;
    window.show();
    return app.exec();
}

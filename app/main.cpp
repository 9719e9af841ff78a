#include "ApiLib.h"
#include "Form1.h"
#include <QApplication>
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ApiLib::installFontSubstitutes();
    Form1 f;
    f.show();
    return app.exec();
}

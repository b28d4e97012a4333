#include <QApplication>

#include "app/Seams.h"
#include "app/TForm1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvarn"));
    QApplication::setApplicationDisplayName(kelvarn::ApplicationTitle());
    kelvarn::TForm1 form;
    form.show();
    return app.exec();
}

// The orvalis executable: hands control to the start-up procedure.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Orvalis");
    QCoreApplication::setApplicationName("Orvalis");
    QMainWindow w;
    w.setWindowTitle("Orvalis");
    w.show();
    return app.exec();
}

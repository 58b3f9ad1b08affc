// The anchor of the start figure: a bare Qt Widgets window the size of the login window.
#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(305, 159);
    window.show();
    return QApplication::exec();
}

// The yardstick for the start-up and memory benchmarks: the smallest honest Qt Widgets program, a window with a
// few push buttons in a column, shown at start. Built by the same CMake, compiler, flags and Qt as the program.
#include <QApplication>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare widgets"));
    auto *column = new QVBoxLayout(&window);
    for (const char *text : {"First", "Second", "Third", "Quit"})
        column->addWidget(new QPushButton(QString::fromLatin1(text), &window));
    window.resize(380, 524);
    window.show();
    return QApplication::exec();
}

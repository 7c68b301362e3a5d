// The yardstick for the benchmarks: the smallest honest Qt Widgets program, a window with a few push buttons in a
// column, shown at start. Built by the same CMake, compiler, flags and Qt as the program.
// With the argument --timer=<ms> it also runs an object timer that does nothing: the floor cost of waking up
// that often, beside which the tray mode's resolution watch can be judged.
#include <QApplication>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QObject ticker;
    const QString timerOption = QStringLiteral("--timer=");
    for (const QString &argument : QCoreApplication::arguments()) {
        if (argument.startsWith(timerOption))
            ticker.startTimer(argument.mid(timerOption.size()).toInt());
    }
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare widgets"));
    auto *column = new QVBoxLayout(&window);
    for (const char *text : {"First", "Second", "Third", "Quit"})
        column->addWidget(new QPushButton(QString::fromLatin1(text), &window));
    window.resize(380, 524);
    window.show();
    return QApplication::exec();
}

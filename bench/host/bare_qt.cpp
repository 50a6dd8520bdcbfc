// The baseline of host_start: a Qt program that shows one empty main window and ends as soon as
// it is idle, printing the moment it became idle (monotonic clock, nanoseconds).
#include <QApplication>
#include <QMainWindow>
#include <QTimer>
#include <cstdio>
#include <ctime>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow w;
    w.resize(1024, 700);
    w.show();
    QTimer::singleShot(0, &app, []() {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        std::printf("IDLE %lld\n", (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec);
        std::fflush(stdout);
        QApplication::quit();
    });
    return app.exec();
}

// Starts the program's real windows on a venue database, as main() does, and says how long the
// cashier waits: from the start of this process until the login window is painted, and from the
// login (the pre-filled password accepted) until the board with its tags is painted.
// Prints "login_painted_ms=… board_painted_ms=… peak_rss_kb=…"; bench_counter runs it as a fresh
// process several times. Run it offscreen: QT_QPA_PLATFORM=offscreen (the default here).
// Usage: bench_startup /path/to/venue.mdb
#include "app/LgUt.h"
#include "app/MainUt.h"
#include "app/SharedConnection.h"
#include "card/CardReader.h"
#include "session/Startup.h"
#include "widgets/Guard.h"
#include "widgets/Icons.h"
#include "widgets/Prompt.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <time.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

double bootClockMs()
{
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// When this process started, on the boot clock: the moment the parent spawned it when it says
// so (VESK_BENCH_SPAWNED_MS), else the kernel's start time (in clock ticks, 10 ms coarse).
double processStartMs()
{
    bool ok = false;
    const double spawned = qEnvironmentVariable("VESK_BENCH_SPAWNED_MS").toDouble(&ok);
    if (ok)
        return spawned;
    QFile stat(u"/proc/self/stat"_s);
    if (!stat.open(QIODevice::ReadOnly))
        return bootClockMs();
    const QByteArray text = stat.readAll();
    // The fields after the command name, which may hold blanks, start after its ')'.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(19).toDouble(); // field 22: starttime
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

class SilentPrompt : public Prompt
{
public:
    void message(QWidget *, const QString &text, Icon) override
    {
        QTextStream(stderr) << u"[message] "_s << text << Qt::endl;
        failed = true;
    }
    bool confirm(QWidget *, const QString &, const QString &) override { return false; }
    std::optional<QString> inputText(QWidget *, const QString &, const QString &, const QString &,
                                     bool) override
    {
        return std::nullopt;
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    bool failed = false;
};

// Tells when a window has been painted: the outermost event whose handling painted a widget of it
// (an expose or an update request, which paints every widget and flushes) has returned.
class PaintWatch : public QApplication
{
public:
    using QApplication::QApplication;

    std::function<bool(QWidget *)> watched; // which widget's painting is waited for
    std::function<void()> painted;          // called once it is on the screen

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched && receiver->isWidgetType() &&
            watched(static_cast<QWidget *>(receiver)))
            m_seen = true;
        ++m_depth;
        const bool result = QApplication::notify(receiver, event);
        if (--m_depth == 0 && m_seen) {
            m_seen = false;
            watched = nullptr;
            if (auto done = std::exchange(painted, nullptr))
                done();
        }
        return result;
    }

private:
    int m_depth = 0;
    bool m_seen = false;
};

bool within(QWidget *w, const QString &objectName)
{
    for (QObject *o = w; o; o = o->parent()) {
        if (o->objectName() == objectName)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    const double start = processStartMs();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PaintWatch app(argc, argv);
    QTextStream err(stderr);
    if (argc < 2) {
        err << u"usage: bench_startup venue.mdb"_s << Qt::endl;
        return 2;
    }
    // The program's folder: system.ini naming the venue file, as a counter's would.
    QTemporaryDir appDir;
    const QString venue = QDir().absoluteFilePath(QString::fromLocal8Bit(argv[1]));
    Startup::deliverSystemIniIfMissing(appDir.path());
    IniFile(Startup::systemIniPath(appDir.path()))
        .write(u"part1"_s, u"csaccess"_s,
               ConnectionString::compose({{u"Provider"_s, u"SQLite"_s}, {u"Data Source"_s, venue}}));

    // What main() does, with a prompt that prints instead of waiting for a click.
    QApplication::setApplicationName(u"管理系统"_s);
    QApplication::setWindowIcon(Icons::application());
    SilentPrompt prompt;
    RunState run;
    run.appDir = appDir.path();
    run.ini = IniFile(Startup::systemIniPath(appDir.path()));
    run.settings = Startup::readSettings(run.ini);
    std::optional<Database> db = openSharedConnection(run.settings, run.appDir, prompt);
    if (!db)
        return 1;
    run.db = *db;
    guard(prompt, nullptr, [&] { std::tie(run.shopName, run.shopTel) = Login::shopInfo(run.db); });
    TLgFm login(std::move(run), prompt);

    double loginPainted = -1, loginAccepted = -1, boardPainted = -1;
    app.watched = [&](QWidget *w) { return w->window() == &login; };
    app.painted = [&] {
        loginPainted = bootClockMs() - start;
        // The cashier presses Enter on the pre-filled password once the window is there.
        QTimer::singleShot(0, &app, [&] {
            app.watched = [](QWidget *w) { return within(w, u"ListView1"_s); };
            app.painted = [&] {
                boardPainted = bootClockMs() - loginAccepted;
                // Not quit(): that would ask the main window to close, and it asks the cashier first.
                QTimer::singleShot(0, &app, [&] { app.exit(0); });
            };
            loginAccepted = bootClockMs();
            login.findChild<QPushButton *>(u"Button1"_s)->click();
        });
    };
    QTimer::singleShot(30000, &app, [&] {
        err << u"bench_startup: nothing painted within 30 s"_s << Qt::endl;
        app.exit(1);
    });
    login.show();
    const int rc = app.exec();
    if (rc != 0 || prompt.failed || boardPainted < 0)
        return 1;
    const QListWidget *board = login.mainWindow()->findChild<QListWidget *>(u"ListView1"_s);
    // VmHWM, this program's own peak: getrusage's ru_maxrss keeps the peak of the process it was
    // forked from, and bench_counter may have just generated the venue.
    qint64 peakKb = -1;
    QFile status(u"/proc/self/status"_s);
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                peakKb = line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    QTextStream(stdout) << u"login_painted_ms="_s << loginPainted << u" board_painted_ms="_s << boardPainted
                        << u" peak_rss_kb="_s << peakKb << u" board_items="_s << board->count()
                        << Qt::endl;
    return 0;
}

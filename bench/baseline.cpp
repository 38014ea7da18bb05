// The baselines the app's figures are compared with: bench-baseline-tray, a minimal Qt Widgets app
// showing a tray icon, and bench-baseline-rows (BASELINE_ROWS), the same plus a Qt Quick window of
// 12 plain rows shown on a tray click. A later launch with --toggle hands "toggle" to the running
// one over a local socket, as the app does.
// With VESK_BENCH_TRACE=1 it marks each frame on standard error like the app.
#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#ifdef BASELINE_ROWS
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickView>
#endif

#include <cstdio>
#include <ctime>
#include <memory>

namespace {

[[maybe_unused]] void mark(const char *event)
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "vesk-trace %s %lld\n", event, (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
    std::fflush(stderr);
}

#ifdef BASELINE_ROWS
constexpr auto RowsQml = R"(
import QtQuick
Rectangle {
    width: 440; height: 12 * 56 + 16; color: "#0c0c16"
    Column {
        x: 6; y: 8; width: parent.width - 12
        Repeater {
            model: 12
            Rectangle {
                required property int index
                width: parent.width; height: 56; radius: 10; color: "#161626"
                Text { x: 12; y: 8; text: "10:" + (10 + index); color: "#9a9ab0"; font.pointSize: 9 }
                Text { x: 86; y: 6; text: "Renewal call with Customer " + index; color: "white"; font.pointSize: 10; font.bold: true }
                Text { x: 86; y: 28; text: "Ada Lovelace, Nils Holm"; color: "#9a9ab0"; font.pointSize: 9 }
            }
        }
    }
}
)";
#endif

} // namespace

int main(int argc, char *argv[])
{
    bool toggle = false;
    for (int i = 1; i < argc; ++i)
        toggle = toggle || qstrcmp(argv[i], "--toggle") == 0;
    const QString socketName = qEnvironmentVariable("XDG_RUNTIME_DIR") + u"/vesk-baseline.sock"_qs;

#ifdef BASELINE_ROWS
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
#endif
    QApplication app(argc, argv);
    if (toggle) {
        QLocalSocket socket;
        socket.connectToServer(socketName);
        if (!socket.waitForConnected(3000))
            return 1;
        socket.write("toggle\n");
        socket.waitForBytesWritten(3000);
        socket.waitForReadyRead(3000);
        return 0;
    }
    QApplication::setQuitOnLastWindowClosed(false);

    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    QPainter(&pixmap).fillRect(4, 4, 14, 14, QColor(0x7c, 0x5c, 0xff));
    QSystemTrayIcon tray{QIcon(pixmap)};

#ifdef BASELINE_ROWS
    std::unique_ptr<QQuickView> view;
    const auto toggleView = [&] {
        if (!view) {
            view = std::make_unique<QQuickView>();
            view->setFlags(Qt::Tool | Qt::FramelessWindowHint);
            view->setResizeMode(QQuickView::SizeRootObjectToView);
            QObject::connect(
                view.get(), &QQuickWindow::frameSwapped, view.get(), [] { mark("frame"); },
                Qt::DirectConnection);
            QQmlComponent component(view->engine());
            component.setData(RowsQml, QUrl(u"rows.qml"_qs));
            view->setContent(QUrl(u"rows.qml"_qs), &component, component.create());
            view->resize(440, 688);
        }
        if (view->isVisible())
            view->hide();
        else
            view->show();
    };
#else
    const auto toggleView = [] {};
#endif
    QObject::connect(&tray, &QSystemTrayIcon::activated, &app, toggleView);
    tray.show();

    QLocalServer server;
    QLocalServer::removeServer(socketName);
    server.listen(socketName);
    QObject::connect(&server, &QLocalServer::newConnection, &app, [&] {
        QLocalSocket *socket = server.nextPendingConnection();
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, &toggleView] {
            if (socket->readAll().contains("toggle")) {
                toggleView();
                socket->write("ok\n");
                socket->disconnectFromServer();
            }
        });
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    });
    return QApplication::exec();
}

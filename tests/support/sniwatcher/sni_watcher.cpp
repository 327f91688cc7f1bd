// SPDX-License-Identifier: GPL-3.0-or-later
// A StatusNotifierItem host for the tests: owns org.kde.StatusNotifierWatcher on the session
// bus (the one DBUS_SESSION_BUS_ADDRESS names), says a host is registered, and prints every
// item that registers as "registered <service>". Commands on standard input, one a line, go to
// the last item registered: "activate" (a left click), "context" (a right click).

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QObject>
#include <QSocketNotifier>
#include <QStringList>

#include <unistd.h>

#include <cstdio>
#include <string>

class Watcher final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
  Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)
  Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ RegisteredStatusNotifierItems)

 public:
  bool IsStatusNotifierHostRegistered() const { return true; }
  int ProtocolVersion() const { return 0; }
  QStringList RegisteredStatusNotifierItems() const { return m_items; }

  void Send(const QString& method) {
    if (m_items.isEmpty()) {
      std::printf("no item\n");
      std::fflush(stdout);
      return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(m_items.last(), QStringLiteral("/StatusNotifierItem"),
                                                       QStringLiteral("org.kde.StatusNotifierItem"), method);
    call << 0 << 0;
    QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
  }

 public slots:
  void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message) {
    // An item names its bus name, or only its object path on the caller's connection.
    const QString name = service.startsWith(QLatin1Char('/')) ? message.service() : service;
    m_items.append(name);
    std::printf("registered %s\n", qPrintable(name));
    std::fflush(stdout);
    emit StatusNotifierItemRegistered(name);
  }
  void RegisterStatusNotifierHost(const QString&) {}

 signals:
  void StatusNotifierItemRegistered(const QString& service);
  void StatusNotifierItemUnregistered(const QString& service);
  void StatusNotifierHostRegistered();

 private:
  QStringList m_items;
};

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QDBusConnection bus = QDBusConnection::sessionBus();
  Watcher watcher;
  if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                          QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                              QDBusConnection::ExportAllProperties) ||
      !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
    std::fprintf(stderr, "sni-watcher: cannot own org.kde.StatusNotifierWatcher: %s\n",
                 qPrintable(bus.lastError().message()));
    return 1;
  }
  std::printf("watching\n");
  std::fflush(stdout);

  std::string line;
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char buffer[256];
    const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (count <= 0) {
      QCoreApplication::quit();
      return;
    }
    line.append(buffer, static_cast<size_t>(count));
    for (size_t end; (end = line.find('\n')) != std::string::npos; line.erase(0, end + 1)) {
      const std::string command = line.substr(0, end);
      if (command == "activate") watcher.Send(QStringLiteral("Activate"));
      else if (command == "context") watcher.Send(QStringLiteral("ContextMenu"));
    }
  });
  return QCoreApplication::exec();
}

#include "sni_watcher.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/VeltrioApp.h"

#include "shell/MainDlg.h"
#include "shell/ShellLog.h"
#include "shell/TrayIcon.h"
#include "shell/WidgetIds.h"
#include "actions/ActionRuntime.h"
#include "device/DeviceEvents.h"
#include "platform/keys.h"
#include "platform/log.h"
#include "platform/shell.h"
#include "settings/GlobalSettings.h"
#include "settings/SettingsDocument.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QLocale>
#include <QLoggingCategory>
#include <QScreen>
#include <QSocketNotifier>
#include <QTranslator>

#include <cstdio>
#include <map>
#include <mutex>

namespace {

// The Qt-free layers log through this sink into Qt's categories of the same names, so that
// QT_LOGGING_RULES controls them all alike.
void QtLogSink(platform::LogLevel level, const char* category, std::string_view message) {
  static std::mutex mutex;
  static std::map<std::string, std::unique_ptr<QLoggingCategory>> categories;
  QLoggingCategory* target;
  {
    std::lock_guard lock(mutex);
    auto& slot = categories[category];
    if (!slot) slot = std::make_unique<QLoggingCategory>(categories.find(category)->first.c_str(), QtWarningMsg);
    target = slot.get();
  }
  const QString text = QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
  switch (level) {
    case platform::LogLevel::Debug: qCDebug(*target).noquote() << text; break;
    case platform::LogLevel::Info: qCInfo(*target).noquote() << text; break;
    case platform::LogLevel::Warning: qCWarning(*target).noquote() << text; break;
  }
}

std::unique_ptr<platform::InstanceLock> g_instanceLock;  // held until the process ends

constexpr const char* kHelpText =
    "Usage: veltrio [-boot | -x]\n"
    "Gives the presenter remote's keys and gestures their meaning; lives in the tray.\n"
    "\n"
    "  (nothing)   start, or show the window of the instance already running\n"
    "  -boot       start with the tray icon only, as at logon\n"
    "  -x          end the running instance and start nothing\n"
    "  --help      print this help and exit\n"
    "  --version   print the version and exit\n"
    "\n"
    "Any other command line is a normal start. Settings: $XDG_CONFIG_HOME/Veltrio/global.xml\n"
    "(~/.config/Veltrio/global.xml by default).\n";

}  // namespace

bool PrintInformation(const std::string& commandLine) {
  if (commandLine == "--help") {
    std::fputs(kHelpText, stdout);
  } else if (commandLine == "--version") {
    std::printf("veltrio %s\n", VELTRIO_VERSION);
  } else {
    return false;
  }
  std::fflush(stdout);
  return true;
}

StartOutcome isMYMutex(const std::string& commandLine) {
  if (commandLine == "-x") {
    qCDebug(lcShell) << "strCmdLine.Compare - x";
    platform::SendToRunningInstance(kInstanceName, UM_QUIT_INSTANCE);
    return kLeave;
  }
  g_instanceLock = platform::InstanceLock::Acquire(kInstanceName);
  if (!g_instanceLock) {
    platform::SendToRunningInstance(kInstanceName, UM_SHOW_INSTANCE);
    qCDebug(lcShell) << "GetLastError() == ERROR_ALREADY_EXISTS";
    return kLeave;
  }
  if (commandLine == "-boot") {
    qCDebug(lcShell) << "strCmdLine.Compare - boot";
    return kStartHidden;
  }
  return kStartVisible;
}

CVeltrioApp::CVeltrioApp()
    : m_keys(platform::CreateKeyInjector()),
      m_runtime(std::make_unique<CActionRuntime>(GlobalSettings(), *m_keys)) {}

CVeltrioApp::~CVeltrioApp() {
  m_channelNotifier.reset();
  m_channel.reset();
  m_tray.reset();
  m_mainDlg.reset();
  // The window is gone, so nothing can start an overlay any more: both end here, once. (The
  // window's tests create and destroy windows by the dozen; ending overlays there would end
  // every other program's overlays of the same user.)
  m_runtime->EndPointerOverlay();
  m_runtime->EndVolumeOverlay();
}

void CVeltrioApp::Start(bool hidden) {
  widget_ids::Install();
  m_mainDlg = std::make_unique<CMainDlg>(GlobalSettings(), m_runtime.get());
  m_mainDlg->OnInitDialog();

  // From here on a second start finds this instance.
  m_channel = platform::InstanceChannel::Open(kInstanceName);
  if (!m_channel) {
    std::fprintf(stderr, "veltrio: error: the single-instance channel could not be set up (see above); this "
                         "instance runs, but a second start and \"-x\" will not reach it\n");
  }
  if (m_channel && m_channel->Descriptor() >= 0) {
    m_channelNotifier = std::make_unique<QSocketNotifier>(m_channel->Descriptor(), QSocketNotifier::Read);
    QObject::connect(m_channelNotifier.get(), &QSocketNotifier::activated, [this] {
      m_answering = true;
      m_channel->AnswerOne([this](int message) { return OnInstanceMessage(message); });
      m_answering = false;
      if (m_exiting) m_channel.reset();  // a quit request: the channel goes once it has answered
    });
  }
  m_tray = std::make_unique<CTrayIcon>(*m_mainDlg, [this] { ExitProgram(); });

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = m_mainDlg->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    m_mainDlg->move(frame.topLeft());
  }
  if (!hidden) m_mainDlg->ShowInstance();
}

int CVeltrioApp::OnInstanceMessage(int message) {
  switch (message) {
    case UM_SHOW_INSTANCE:
      if (m_mainDlg) m_mainDlg->ShowInstance();
      return 0;
    case UM_QUIT_INSTANCE:
      ExitProgram();
      return 1;
    default:
      return 0;
  }
}

void CVeltrioApp::ExitProgram() {
  m_exiting = true;
  // The notifier may be the caller: disabled here, deleted with this object.
  if (m_channelNotifier) m_channelNotifier->setEnabled(false);
  if (!m_answering) m_channel.reset();
  // A quit request that arrives while the tray menu runs ends that menu's loop; the icon is
  // then deleted with this object, once its click handling has returned.
  if (m_tray && !m_tray->RunsMenu()) m_tray.reset();
  if (m_mainDlg) {
    m_mainDlg->CloseDeviceWindows();
    m_mainDlg->hide();
  }
  // Ending the event loop also ends a nested one (an open menu or dialog of the window), which
  // then unwinds into a window that still exists; the window itself goes with this object,
  // after the loop, and the overlays end after it.
  QCoreApplication::quit();
}

int VeltrioMain(int argc, char** argv) {
  std::string commandLine;
  for (int i = 1; i < argc; ++i) commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
  // Neither the settings nor the running instance are touched for these.
  if (PrintInformation(commandLine)) return 0;

  // The settings and the current profile before anything else, in every process that may run.
  GlobalSettings();

  const StartOutcome outcome = isMYMutex(commandLine);
  if (outcome == kLeave) return 0;
  // This process is the instance now, the one writer of the settings file.
  RemoveInterruptedSettingsWrites();

  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Veltrio"));
  QApplication::setQuitOnLastWindowClosed(false);  // closing the window only hides it
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/ICON_LOGO.svg")));
  platform::SetLogSink(QtLogSink);

  // Relative paths (the overlays) are found beside the program.
  QDir::setCurrent(QString::fromStdString(platform::ProgramFolder().string()));

  QTranslator translator;
  if (translator.load(QLocale(), QStringLiteral("veltrio"), QStringLiteral("_"), QStringLiteral(":/translations"))) {
    QCoreApplication::installTranslator(&translator);
  }

  int result = 0;
  {
    CVeltrioApp app;
    app.Start(outcome == kStartHidden);
    result = QApplication::exec();
  }
  platform::SetLogSink(nullptr);
  return result;
}

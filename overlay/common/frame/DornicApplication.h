// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application object of the overlay programs. Its constructor prepares everything the frames
// need: the program's folder as the current folder, the translation named by the settings value
// "langFile", the compiled resource file named by "resourceFile" (whose ":/" paths hold every
// image) and the application fonts. Constructed before any frame.
//
// Resource file look-up, first hit wins: Qt's data folder, the program's folder, and on Linux
// the installed data folder beside the program's (<prefix>/share/veltrio/ for <prefix>/bin/).
//
// Thread: the GUI thread. Ownership: the caller owns `settings` and keeps it alive longer than
// the application object. Failure: missing translation, resource or font files are silently
// skipped; the frames then load empty images.

#include <QApplication>
#include <QStringList>

class QDir;
class QSettings;
class QTranslator;

namespace Helpers::MQt {

class DornicApplication : public QApplication {
  Q_OBJECT

 public:
  DornicApplication(QSettings* settings, int& argc, char** argv);
  ~DornicApplication() override;

  QSettings* settings() const { return m_settings; }
  // The key the program is known by: the settings' application name ("VTaPointer", ...).
  const QString& instanceId() const { return m_instanceId; }
  // The resource file registered at start, empty when none was.
  const QString& registeredResourceFile() const { return m_resourceFile; }

  // The files of `folder` that are offered to the font database: those with a font file suffix.
  static QStringList fontFilesIn(const QDir& folder);

 signals:
  void onClickOnDock();

 public slots:
  void handleSigTerm() {}

 private:
  void initialise();
  void loadTranslation();
  void registerResources();
  void addFonts();

  QSettings* m_settings;
  QTranslator* m_translator;
  QString m_instanceId;
  QString m_resourceFile;
};

}  // namespace Helpers::MQt

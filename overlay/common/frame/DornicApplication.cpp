// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/DornicApplication.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QResource>
#include <QSettings>
#include <QTranslator>

namespace Helpers::MQt {
namespace {

// Font files the font database reads. Anything else in the folder is left alone: the program's
// folder may be /usr/bin, and reading every program there at each start is slow for nothing.
const QStringList kFontFilters = {"*.ttf", "*.otf", "*.ttc", "*.otc", "*.pfa", "*.pfb", "*.woff", "*.woff2"};

// Where an installed program keeps its data: <prefix>/share/veltrio beside <prefix>/bin.
QString installedDataFolder() {
  return QCoreApplication::applicationDirPath() + "/../share/veltrio";
}

}  // namespace

DornicApplication::DornicApplication(QSettings* settings, int& argc, char** argv)
    : QApplication(argc, argv),
      m_settings(settings),
      m_translator(new QTranslator(this)),
      m_instanceId(settings->applicationName()) {
  initialise();
}

DornicApplication::~DornicApplication() = default;

void DornicApplication::initialise() {
  QDir::setCurrent(applicationDirPath());
  loadTranslation();
  registerResources();
  addFonts();
}

void DornicApplication::loadTranslation() {
  const QString file = m_settings->value("langFile", QString()).toString();
  if (file.isEmpty()) return;
  if (!m_translator->load(file, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    // Installed whether or not this finds the file: the overlays show no text of their own.
    (void)m_translator->load(file, QDir::current().absolutePath());
  }
  installTranslator(m_translator);
}

void DornicApplication::registerResources() {
  const QString file = m_settings->value("resourceFile", QString()).toString();
  if (file.isEmpty()) return;
  const QStringList candidates = {
      QLibraryInfo::path(QLibraryInfo::DataPath) + "/" + file,
      file,                                // against the current folder, the program's
      installedDataFolder() + "/" + file,  // only an installation on Linux has this folder
  };
  for (const QString& candidate : candidates) {
    if (QResource::registerResource(candidate)) {
      m_resourceFile = QFileInfo(candidate).absoluteFilePath();
      return;
    }
  }
}

QStringList DornicApplication::fontFilesIn(const QDir& folder) {
  QDir fonts(folder);
  fonts.setNameFilters(kFontFilters);
  fonts.setFilter(QDir::Files);
  fonts.setSorting(QDir::Unsorted);
  return fonts.entryList();
}

void DornicApplication::addFonts() {
  QDir folder(QLibraryInfo::path(QLibraryInfo::PrefixPath) + "/Fonts");
  if (!folder.exists()) folder = QDir::current();
  if (!folder.exists()) return;
  const QString base = folder.absolutePath();
  for (const QString& name : fontFilesIn(folder)) {
    QFontDatabase::addApplicationFont(base + "/" + name);  // a file that is no font is refused
  }
}

}  // namespace Helpers::MQt

// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/LaserPointSettingDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QStandardPaths>
#include <QSvgRenderer>

#include "shell/FilePicker.h"
#include "shell/ShellLog.h"
#include "ui_XML_DLGLASERPOINTSETTING.h"
#include "vtui/SGifPlayer.h"
#include "vtui/SkinTable.h"


namespace MOUSEFUCTION {

CLaserPointSettingDialog::CLaserPointSettingDialog(QWidget* parent) : SHostDialog(parent) {
  Ui::XML_DLGLASERPOINTSETTING form;
  SetUpDialog(form, tr("Laser pointer"));
  m_edit = form.edit;
  m_preview = form.pngview;
  OnCommand(QStringLiteral("openfiledlgbtn"), [this](QWidget*) {
    if (!m_preview) return;
    const QString chosen = PickImage(PointerImageFolder());
    if (chosen.isEmpty()) return;
    m_strImagePath = chosen.toStdWString();
    ShowPath();
  });
  OnCommand(QStringLiteral("defaultbtn"), [this](QWidget*) {
    ProvideDefaultPointerImage();
    m_strImagePath = DefaultPointerImage().toStdWString();
    ShowPath();
  });
  OnCommand(QStringLiteral("okbtn"), [this](QWidget*) { EndDialog(vtui::kDialogOk); });
  OnCommand(QStringLiteral("canclebtn"), [this](QWidget*) { EndDialog(vtui::kDialogCancel); });
}

void CLaserPointSettingDialog::SetImagePath(const std::wstring& path) {
  m_strImagePath = path;
  ShowPath();
}

void CLaserPointSettingDialog::ShowPath() {
  const QString path = QString::fromStdWString(m_strImagePath);
  m_edit->setText(path);
  m_edit->setCursorPosition(0);
  m_edit->setToolTip(path);
  // A file that does not load leaves the preview as it was.
  if (m_preview && !path.isEmpty()) m_preview->PlayFile(path);
  update();
}

QString CLaserPointSettingDialog::PointerImageFolder() {
  QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (pictures.isEmpty()) pictures = QDir::homePath();
  return QDir(pictures).filePath(QStringLiteral("Veltrio"));
}

QString CLaserPointSettingDialog::DefaultPointerImage() {
  return QDir(PointerImageFolder()).filePath(QStringLiteral("defaultpointer.png"));
}

bool CLaserPointSettingDialog::ProvideDefaultPointerImage() {
  const QString target = DefaultPointerImage();
  if (QFileInfo::exists(target)) return true;
  // No installation can place a file into every user's pictures folder, so the program puts
  // its own picture there when the user asks for the default.
  QSvgRenderer picture(vtui::SkinTable::ImagePath(QStringLiteral("png_laserpoint_defaultpointer")));
  if (!picture.isValid()) return false;
  QImage image(picture.defaultSize(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    picture.render(&painter);
  }
  if (!QDir().mkpath(PointerImageFolder()) || !image.save(target, "PNG")) {
    qCWarning(lcShell) << "the default pointer image could not be written to" << target;
    return false;
  }
  return true;
}

QString CLaserPointSettingDialog::PickImage(const QString& folder) {
  return PickExistingFile(this, tr("Choose a pointer image"), folder, tr("PNG images (*.png)"), QStringLiteral("png"));
}

}  // namespace MOUSEFUCTION

// SPDX-License-Identifier: GPL-3.0-or-later
#include "vtui/SkinTable.h"

#include <QFile>
#include "vtui/UiLog.h"
#include <QPainter>
#include <QSet>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QtWidgets/QStyle>
#include <QtWidgets/qdrawutil.h>
#include <algorithm>
#include <cmath>
#include <memory>

Q_LOGGING_CATEGORY(lcUi, "veltrio.ui", QtWarningMsg)

namespace vtui {
namespace {

QMargins ParseMargins(const QString& text) {
  const QStringList parts = text.split(',', Qt::SkipEmptyParts);
  if (parts.size() == 1) {
    int m = parts[0].trimmed().toInt();
    return {m, m, m, m};
  }
  if (parts.size() != 4) return {};
  return {parts[0].trimmed().toInt(), parts[1].trimmed().toInt(), parts[2].trimmed().toInt(),
          parts[3].trimmed().toInt()};
}

std::vector<int> ParseStateMap(const QString& text) {
  std::vector<int> map;
  for (const QString& part : text.split(',', Qt::SkipEmptyParts)) map.push_back(part.trimmed().toInt());
  return map;
}

// One renderer per image, kept for the life of the process: the skins of one window share them.
QSvgRenderer* Renderer(const QString& image) {
  static QHash<QString, std::shared_ptr<QSvgRenderer>> renderers;
  auto it = renderers.find(image);
  if (it == renderers.end()) {
    auto renderer = std::make_shared<QSvgRenderer>(SkinTable::ImagePath(image));
    if (!renderer->isValid()) qCWarning(lcUi) << "image does not load:" << SkinTable::ImagePath(image);
    it = renderers.insert(image, renderer);
  }
  return it.value()->isValid() ? it.value().get() : nullptr;
}

void WarnOnce(const QString& what) {
  static QSet<QString> told;
  if (!told.contains(what)) {
    told.insert(what);
    qCWarning(lcUi).noquote() << what;
  }
}

}  // namespace

int SkinInfo::FrameFor(int widgetState) const {
  int frame;
  if (!stateMap.empty()) {
    frame = stateMap[std::clamp<size_t>(widgetState, 0, stateMap.size() - 1)];
  } else if (states >= 8) {
    frame = widgetState;
  } else {
    // Checked widgets without a map of their own look pushed.
    frame = (widgetState & kStateChecked) ? kStatePushed : (widgetState & 3);
  }
  return std::clamp(frame, 0, std::max(states, 1) - 1);
}

SkinTable& SkinTable::Instance() {
  static SkinTable table = [] {
    SkinTable t;
    t.Load(QStringLiteral(":/values/skin.xml"));
    return t;
  }();
  return table;
}

bool SkinTable::Load(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    qCWarning(lcUi) << "skin table does not open:" << path;
    return false;
  }
  QHash<QString, SkinInfo> skins;
  QXmlStreamReader xml(&file);
  if (!xml.readNextStartElement() || xml.name() != u"skin") {
    qCWarning(lcUi) << "not a skin table:" << path;
    return false;
  }
  while (xml.readNextStartElement()) {
    const QXmlStreamAttributes a = xml.attributes();
    SkinInfo info;
    info.name = a.value("name").toString();
    const QStringView kind = xml.name();
    if (kind == u"imglist") info.kind = SkinKind::ImageList;
    else if (kind == u"imgframe") info.kind = SkinKind::ImageFrame;
    else if (kind == u"colorrect") info.kind = SkinKind::ColorRect;
    else if (kind == u"apng") info.kind = SkinKind::AnimatedImage;
    else {
      qCWarning(lcUi) << "unknown skin kind" << kind << "in" << path;
      xml.skipCurrentElement();
      continue;
    }
    info.image = a.value("src").toString();
    info.states = std::max(1, a.hasAttribute("states") ? a.value("states").toInt() : 1);
    info.stateMap = ParseStateMap(a.value("statemap").toString());
    info.margin = ParseMargins(a.value("margin").toString());
    info.keepAspect = a.value("fit") == u"contain";
    info.radius = a.value("radius").toInt();
    const char* colorNames[] = {"normal", "hover", "pushed", "disabled"};
    for (int i = 0; i < 4; ++i) {
      QString c = a.value(colorNames[i]).toString();
      info.colors[i] = c.isEmpty() ? info.colors[0] : QColor(c);
    }
    if (!info.name.isEmpty()) skins.insert(info.name, info);
    xml.skipCurrentElement();
  }
  if (xml.hasError()) {
    qCWarning(lcUi) << "skin table does not parse:" << path << xml.errorString();
    return false;
  }
  m_skins = std::move(skins);
  m_cache.clear();
  return true;
}

const SkinInfo* SkinTable::Find(QStringView name) const {
  auto it = m_skins.constFind(name.toString());
  return it == m_skins.constEnd() ? nullptr : &it.value();
}

QStringList SkinTable::Names() const { return m_skins.keys(); }

QString SkinTable::ImagePath(const QString& image) { return QStringLiteral(":/images/%1.svg").arg(image); }

bool SkinTable::ImageExists(const QString& image) { return QFile::exists(ImagePath(image)); }

QSize SkinTable::FrameSize(QStringView skin) const {
  const SkinInfo* info = Find(skin);
  if (!info || info->image.isEmpty()) return {};
  QSvgRenderer* renderer = Renderer(info->image);
  if (!renderer) return {};
  QSizeF size = renderer->viewBoxF().size();
  return QSize(qRound(size.width() / info->states), qRound(size.height()));
}

QPixmap SkinTable::Frame(const SkinInfo& info, int frame, QSize size, qreal dpr) const {
  const QString key = QStringLiteral("%1/%2/%3x%4@%5").arg(info.image).arg(frame).arg(size.width()).arg(size.height()).arg(dpr);
  auto cached = m_cache.constFind(key);
  if (cached != m_cache.constEnd()) return cached.value();

  QPixmap pixmap;
  if (QSvgRenderer* renderer = Renderer(info.image)) {
    const QRectF box = renderer->viewBoxF();
    const qreal frameWidth = box.width() / info.states;
    QImage image(size * dpr, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
      QPainter p(&image);
      p.setRenderHint(QPainter::Antialiasing);
      p.setRenderHint(QPainter::SmoothPixmapTransform);
      // Each frame is its own view of the strip, so a frame never bleeds into its neighbour.
      renderer->setViewBox(QRectF(box.x() + frame * frameWidth, box.y(), frameWidth, box.height()));
      renderer->render(&p, QRectF(QPointF(0, 0), QSizeF(size) * dpr));
      renderer->setViewBox(box);
    }
    pixmap = QPixmap::fromImage(std::move(image));
  }
  m_cache.insert(key, pixmap);
  return pixmap;
}

bool SkinTable::Draw(QPainter& painter, const QRect& target, QStringView skin, int widgetState) const {
  if (skin.isEmpty() || target.isEmpty()) return false;
  const SkinInfo* info = Find(skin);
  if (!info) {
    WarnOnce(QStringLiteral("unknown skin: %1").arg(skin));
    return false;
  }
  const int frame = info->FrameFor(widgetState);
  if (info->kind == SkinKind::ColorRect) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(info->colors[std::clamp(widgetState & 3, 0, 3)]);
    painter.drawRoundedRect(target, info->radius, info->radius);
    painter.restore();
    return true;
  }
  const qreal dpr = std::max<qreal>(1.0, painter.device() ? painter.device()->devicePixelRatioF() : 1.0);
  if (!info->margin.isNull()) {
    // Nine pieces: the frame rendered at its own size, whole pixels per unit, corners kept.
    const QSize natural = FrameSize(skin);
    const int scale = static_cast<int>(std::ceil(dpr));
    QPixmap piece = Frame(*info, frame, natural * scale, 1.0);
    if (piece.isNull()) return false;
    const QMargins& m = info->margin;
    qDrawBorderPixmap(&painter, target, m, piece, piece.rect(), m * scale, QTileRules(Qt::StretchTile));
    return true;
  }
  QRect box = target;
  if (info->keepAspect) {
    QSize natural = FrameSize(skin);
    if (!natural.isEmpty()) {
      natural.scale(target.size(), Qt::KeepAspectRatio);
      box = QRect(QPoint(0, 0), natural);
      box.moveCenter(target.center());
    }
  }
  QPixmap pixmap = Frame(*info, frame, box.size(), dpr);
  if (pixmap.isNull()) return false;
  pixmap.setDevicePixelRatio(dpr);
  painter.drawPixmap(box.topLeft(), pixmap);
  return true;
}

}  // namespace vtui

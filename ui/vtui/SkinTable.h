// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The skin table: each skin name maps to an image of the resources and a kind that says how
// the image is drawn.
//
//   imglist   a strip of `states` equal frames side by side; a widget state picks a frame,
//             through `statemap` when given. With `margin` the frame is drawn as nine pieces
//             (corners kept, edges and centre stretched); with fit="contain" it keeps its
//             aspect ratio, centred; otherwise it is rendered at the target size.
//   imgframe  one image, drawn like a one-frame imglist.
//   colorrect a rounded or plain rectangle of one colour per widget state, no image.
//   apng      an animated picture; a skin shows its first frame.
//
// Images are SVG files under ":/images/" named after the image name; rendered pictures are
// cached per size and device pixel ratio.
//
// Thread: the GUI thread. Failure: an unknown skin, or an image that does not load, draws
// nothing and is logged once under "veltrio.ui".

#include <QColor>
#include <QHash>
#include <QMargins>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

class QPainter;

namespace vtui {

// The state a widget asks its skin for: 0 normal, 1 hover, 2 pushed, 3 disabled, and the same
// four plus 4 while the widget is checked.
enum WidgetState : int { kStateNormal = 0, kStateHover = 1, kStatePushed = 2, kStateDisabled = 3, kStateChecked = 4 };

enum class SkinKind { ImageList, ImageFrame, ColorRect, AnimatedImage };

struct SkinInfo {
  QString name;
  SkinKind kind = SkinKind::ImageFrame;
  QString image;               // image name; empty for colorrect
  int states = 1;
  std::vector<int> stateMap;   // widget state -> frame; empty: the default rule
  QMargins margin;             // nine-piece margins in image units; null: stretch or fit
  bool keepAspect = false;     // fit="contain"
  int radius = 0;              // colorrect corner radius
  std::array<QColor, 4> colors;  // colorrect: normal, hover, pushed, disabled

  // The frame shown for a widget state.
  int FrameFor(int widgetState) const;
};

class SkinTable {
 public:
  // The program's table, loaded from ":/values/skin.xml" on first use.
  static SkinTable& Instance();

  // Replaces the table with the skins of an XML file. False (table unchanged) when the file
  // cannot be read or parsed.
  bool Load(const QString& path);

  const SkinInfo* Find(QStringView name) const;
  QStringList Names() const;

  // The resource path of an image name, and whether that image exists.
  static QString ImagePath(const QString& image);
  static bool ImageExists(const QString& image);

  // The size of one frame as the image gives it; empty for unknown skins and colorrect.
  QSize FrameSize(QStringView skin) const;

  // Draws the skin into `target` in the given widget state. False when nothing was drawn.
  bool Draw(QPainter& painter, const QRect& target, QStringView skin, int widgetState) const;

 private:
  QPixmap Frame(const SkinInfo& info, int frame, QSize size, qreal dpr) const;

  QHash<QString, SkinInfo> m_skins;
  mutable QHash<QString, QPixmap> m_cache;
};

}  // namespace vtui

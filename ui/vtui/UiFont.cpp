// SPDX-License-Identifier: GPL-3.0-or-later
#include "vtui/UiFont.h"

#include <QStringList>

namespace vtui {

QFont UiFont(int pixelSize, bool bold) {
  QFont font;
  font.setFamilies({QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

}  // namespace vtui

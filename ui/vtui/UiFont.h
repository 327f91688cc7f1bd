// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one font family list of the windows. The layouts were drawn for "Microsoft YaHei"; where
// it is missing the list falls back to fonts a Linux desktop has, then to any sans serif.
// Sizes are in pixels, as the layouts give them.

#include <QFont>

namespace vtui {

QFont UiFont(int pixelSize = 13, bool bold = false);

}  // namespace vtui

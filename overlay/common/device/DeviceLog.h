// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The logging category of the overlays' device layer, named once for its files.

inline constexpr const char kDeviceLayerLog[] = "veltrio.overlay.device";

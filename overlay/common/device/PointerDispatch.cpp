// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/PointerDispatch.h"

#include <array>
#include <utility>

namespace {

// Raw input button flags in the order they are dispatched, with their button codes.
constexpr std::array<std::pair<std::uint16_t, MouseButtonEvent_t>, 6> kButtonFlags{{
    {platform::kPointerLeftDown, 1},
    {platform::kPointerLeftUp, 2},
    {platform::kPointerMiddleDown, 3},
    {platform::kPointerMiddleUp, 4},
    {platform::kPointerRightDown, 5},
    {platform::kPointerRightUp, 6},
}};

}  // namespace

void DispatchPointerEvent(DeviceEventSink& listener, const InterfaceIdentity& source,
                          const platform::RawPointerEvent& event) {
  if (event.dx != 0 || event.dy != 0)
    listener.dispatchMotion(source.groupId, source.vendorId, source.productId, event.dx, event.dy);
  if (event.buttonFlags == 0 || event.rawButtons != 0) return;
  for (const auto& [flag, code] : kButtonFlags)
    if (event.buttonFlags & flag)
      listener.dispatchButton(source.groupId, source.vendorId, source.productId, code);
  if (event.buttonFlags & platform::kPointerWheel)
    listener.dispatchWheel(source.groupId, source.vendorId, source.productId, event.buttonData);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How one raw pointer event becomes listener callbacks: motion when it moved, then the button
// codes of its button flags in a fixed order, then the wheel. Buttons are taken only from
// events without a device-specific button state (rawButtons 0).
//
// Thread: the event thread, with the listener registry's lock held.

#include "device/DeviceSinks.h"
#include "device/InterfacePath.h"
#include "platform/rawpointer.h"

void DispatchPointerEvent(DeviceEventSink& listener, const InterfaceIdentity& source,
                          const platform::RawPointerEvent& event);

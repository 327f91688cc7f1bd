// SPDX-License-Identifier: GPL-3.0-or-later
#include "devbridge/MyDllMouseDevice.h"

#include <new>

#include "CHIDMouseDv.h"

CMyDllMouseDevice::CMyDllMouseDevice() = default;
CMyDllMouseDevice::CMyDllMouseDevice(const CMyDllMouseDevice&) = default;
CMyDllMouseDevice& CMyDllMouseDevice::operator=(const CMyDllMouseDevice&) = default;

CMyDllMouseDevice* CMyDllMouseDevice::Create() { return new (std::nothrow) devbridge::CCHIDMouseDv(); }

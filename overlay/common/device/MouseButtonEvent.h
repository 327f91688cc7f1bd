// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The button code the overlays' device layer passes to onButtonEvent.
//
//  1, 2   left button pressed, released       (any mouse)
//  3, 4   middle button pressed, released     (any mouse)
//  5, 6   right button pressed, released      (any mouse)
//  7      vendor buttons all released          (an accepted remote's vendor reports)
//  8, 9   first vendor button pressed, released
//  10, 11 second vendor button pressed, released
//  12, 13 third vendor button pressed, released
//  14, 15 fourth vendor button pressed, released

using MouseButtonEvent_t = int;

// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Which AVR the last identification found. The values are those the program has always used:
// 0 is also what an unrecognised device is taken for, and the start value.

namespace tarpel::avr {

enum class DeviceKind : int {
    AT90S8515 = 0,
    AT90S4414 = 1,
    ATmega8515 = 2,
    ATmega162 = 3,
};

}  // namespace tarpel::avr

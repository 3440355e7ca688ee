// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Identificar micro" (btnTipoClick): names the device in the socket and nothing more.
#include "avr/CommandFrame.h"

namespace tarpel::avr {

// Done when a device of the table was named; Failed for no device, a locked or an unknown one.
CommandOutcome IdentifyMicro(CommandFrame& frame);

}  // namespace tarpel::avr

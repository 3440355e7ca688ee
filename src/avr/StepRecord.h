// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The steps of a whole-device program as a production run's log keeps them: each step and its
// result, "borrado:ok flash:ok eeprom:fallo".
#include <string>
#include <string_view>

#include "avr/DeviceProgram.h"

namespace tarpel::avr {

// "ok", "cancelado" or "fallo".
std::string StepResultText(CommandOutcome outcome);

class StepRecord : public StepObserver {
public:
    void StepEnded(std::string_view step, CommandOutcome outcome, double seconds) override;
    const std::string& Steps() const { return steps_; }

private:
    std::string steps_;
};

}  // namespace tarpel::avr

// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/StepRecord.h"

#include "shell/Translate.h"

namespace tarpel::avr {

std::string StepResultText(CommandOutcome outcome) {
    switch (outcome) {
        case CommandOutcome::Done: return "ok";
        case CommandOutcome::Cancelled: return Tr("cancelado");
        default: return Tr("fallo");
    }
}

void StepRecord::StepEnded(std::string_view step, CommandOutcome outcome, double /*seconds*/) {
    steps_ += (steps_.empty() ? "" : " ") + std::string(step) + ":" + StepResultText(outcome);
}

}  // namespace tarpel::avr

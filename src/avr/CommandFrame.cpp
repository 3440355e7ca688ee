#include "avr/CommandFrame.h"

#include "shell/Progress.h"

namespace tarpel::avr {

namespace {

constexpr std::string_view LockedMessage =
    "El Atmel esta protegido contra lectura/escritura (Recibido ID=00 01 02)";
constexpr std::string_view UnknownMessage = "ID de chip desconocido...";

}  // namespace

bool CommandFrame::IdentifyDevice() {
    if (!link_.EnterProgrammingMode()) {
        shell_.MessageBox(NoDeviceMessage, ErrorCaption);
        link_.AllLinesOff();
        lastIdentification_ = Identification::NoAnswer;
        return false;
    }
    kind_ = DeviceKind::AT90S8515;
    const hw::AvrSignature signature = link_.ReadSignature();
    if (const DeviceType* device = FindDevice(signature)) {
        view_.SetDeviceCaption(device->caption);
        kind_ = device->kind;
        lastIdentification_ = Identification::Known;
        return true;
    }
    if (signature == LockedSignature) {
        shell_.MessageBox(LockedMessage, ErrorCaption);
        lastIdentification_ = Identification::Locked;
        return false;
    }
    // An unknown device is worked on as an AT90S8515, as the program always has.
    shell_.MessageBox(UnknownMessage, ErrorCaption);
    lastIdentification_ = Identification::Unknown;
    return true;
}

bool CommandFrame::EnterProgrammingMode() {
    if (link_.EnterProgrammingMode()) return true;
    shell_.SetCursor(shell::CursorShape::Default);
    shell_.MessageBox(NoDeviceMessage, ErrorCaption);
    link_.AllLinesOff();
    return false;
}

void CommandFrame::StopCommand() {
    shell_.SetCursor(shell::CursorShape::Default);
    link_.AllLinesOff();
}

void CommandFrame::ShowProgress(shell::Gauge gauge, int done, int total) {
    shell_.SetGauge(gauge, shell::ProgressPercent(done, total));
    shell_.ProcessMessages();
}

}  // namespace tarpel::avr

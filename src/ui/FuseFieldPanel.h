// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The fuse panel's controls for a device whose fuses are not the ATmega8515's lists and boxes
// (the ATmega162): one control per field of the device's own table, by the datasheet's name.
// A field of one bit is a check box ticked when programmed; a wider field is a list of its
// values in binary, the clock field's also naming each source. SPIEN shows ticked and cannot
// be cleared. The window shows it in the panel's place of the lists and boxes.
#include <QWidget>

#include <vector>

#include "avr/DeviceFuses.h"
#include "avr/DeviceKind.h"
#include "avr/FuseMemory.h"

class QCheckBox;
class QComboBox;

namespace tarpel::ui {

class FuseFieldPanel : public QWidget {
public:
    FuseFieldPanel(avr::DeviceKind kind, QWidget* parent);

    avr::DeviceKind Device() const { return kind_; }
    // Every control from these bytes, which also give the bits no field covers.
    void ShowBytes(avr::FuseBytes bytes);
    // The bytes shown with each field as its control has it now.
    avr::FuseBytes Bytes() const;

private:
    struct Control {
        const avr::FuseField* field;
        QCheckBox* check = nullptr;  // a field of one bit
        QComboBox* list = nullptr;   // a wider one
    };

    avr::DeviceKind kind_;
    const avr::FuseLayout& layout_;
    avr::FuseBytes shown_;
    std::vector<Control> controls_;
};

}  // namespace tarpel::ui

#pragma once
// What the AVR commands show outside message boxes and gauges: the device caption under
// "Tipo de micro:" (lbTipo). The window implements it with its label, tarpel-cli by printing.

#include <string_view>

namespace tarpel::avr {

class AvrView {
public:
    virtual ~AvrView() = default;
    virtual void SetDeviceCaption(std::string_view caption) = 0;
};

}  // namespace tarpel::avr

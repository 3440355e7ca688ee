#include "hw/LibFtdiCalls.h"

#include <ftdi.h>
#include <libusb.h>

#include <array>
#include <string_view>

namespace tarpel::hw {

namespace {

FtdiChip ChipOfProduct(int product) {
    switch (product) {
        case 0x6001: return FtdiChip::Ft232R;
        case 0x6010: return FtdiChip::Ft2232H;
        case 0x6014: return FtdiChip::Ft232H;
        default: return FtdiChip::Other;
    }
}

// libftdi's open codes name libusb's step that failed: opening the device node is refused for
// lack of permission; setting the configuration or claiming the interface fails while ftdi_sio
// or another program holds it. libftdi detaches ftdi_sio first, and when that was refused for
// lack of permission it says so in its words ("inappropriate permissions on device!").
FtdiOpenError CauseOfOpenFailure(int code, std::string_view words) {
    if (words.find("permission") != std::string_view::npos) return FtdiOpenError::NoPermission;
    switch (code) {
        case -4: return FtdiOpenError::NoPermission;
        case -3:  // setting the configuration, refused while a driver holds the device
        case -5:
        case -11: return FtdiOpenError::Busy;
        default: return FtdiOpenError::Other;
    }
}

}  // namespace

LibFtdiCalls::LibFtdiCalls() : context_(ftdi_new()) {}

LibFtdiCalls::~LibFtdiCalls() {
    Close();
    if (context_) ftdi_free(context_);
}

FtdiOpenError LibFtdiCalls::Open(const std::string& serial, FtdiAdapter& adapter, std::string& detail) {
    if (!context_) {
        detail = "ftdi_new";
        return FtdiOpenError::Other;
    }
    // The board needs one channel of eight pins; on an FT2232H that is channel A.
    ftdi_set_interface(context_, INTERFACE_A);
    ftdi_device_list* list = nullptr;
    // Vendor and product 0: every device with one of FTDI's own product numbers (a vendor alone
    // would match only product 0).
    if (ftdi_usb_find_all(context_, &list, 0, 0) < 0) {
        detail = ftdi_get_error_string(context_);
        return FtdiOpenError::Other;
    }
    FtdiOpenError result = FtdiOpenError::NotFound;
    for (ftdi_device_list* entry = list; entry; entry = entry->next) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(entry->dev, &descriptor) != 0) continue;
        const FtdiChip chip = ChipOfProduct(descriptor.idProduct);
        if (chip == FtdiChip::Other) continue;
        std::array<char, 128> serialText{};
        const int strings = ftdi_usb_get_strings(context_, entry->dev, nullptr, 0, nullptr, 0, serialText.data(),
                                                 static_cast<int>(serialText.size()));
        if (strings < 0 && !serial.empty()) {
            // The serial number cannot be read without opening the device.
            detail = ftdi_get_error_string(context_);
            result = strings == -4 ? FtdiOpenError::NoPermission : FtdiOpenError::Other;
            continue;
        }
        const std::string found = strings < 0 ? std::string() : std::string(serialText.data());
        if (!serial.empty() && found != serial) continue;
        const int code = ftdi_usb_open_dev(context_, entry->dev);
        if (code < 0) {
            detail = ftdi_get_error_string(context_);
            result = CauseOfOpenFailure(code, detail);
            break;
        }
        open_ = true;
        adapter.chip = chip;
        adapter.serial = found;
        result = FtdiOpenError::None;
        break;
    }
    ftdi_list_free(&list);
    return result;
}

int LibFtdiCalls::SetBitmode(std::uint8_t outputMask, std::uint8_t mode) {
    return ftdi_set_bitmode(context_, outputMask, mode);
}

int LibFtdiCalls::SetBaudrate(int baudrate) { return ftdi_set_baudrate(context_, baudrate); }

int LibFtdiCalls::SetLatencyTimer(std::uint8_t milliseconds) {
    return ftdi_set_latency_timer(context_, milliseconds);
}

int LibFtdiCalls::Purge() { return ftdi_tcioflush(context_); }

int LibFtdiCalls::WriteData(const std::uint8_t* data, int size) { return ftdi_write_data(context_, data, size); }

int LibFtdiCalls::ReadData(std::uint8_t* data, int size) { return ftdi_read_data(context_, data, size); }

void LibFtdiCalls::Close() {
    if (!open_) return;
    open_ = false;
    ftdi_usb_close(context_);
}

std::string LibFtdiCalls::ErrorString() {
    const char* text = context_ ? ftdi_get_error_string(context_) : nullptr;
    return text ? text : "";
}

}  // namespace tarpel::hw

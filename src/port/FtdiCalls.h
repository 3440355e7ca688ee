// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The seam over libftdi1: the handful of calls the FTDI port makes, one method each, returning
// libftdi's own result codes (0 or a count on success, negative on failure). The real one calls
// libftdi1; the simulated adapter and the tests stand in for it. Opening is the one call that
// sorts its failure into a cause, because only the real layer can see libusb's reasons.
#include <cstdint>
#include <string>

namespace tarpel::port {

// The chip as libftdi tells it apart (its own chip type, from the device's release number, not
// the USB product id, which the FT232R shares with the FT232AM/BM and the FT2232H with the
// FT2232C/D). The H series has the MPSSE; the FT232R has synchronous bit-bang only; the older
// full-speed chips are not supported.
enum class FtdiChip { Ft232R, Ft232H, Ft2232H, Ft4232H, Ft232AmBm, Ft2232CD, Other };

constexpr bool HasMpsse(FtdiChip chip) {
    return chip == FtdiChip::Ft232H || chip == FtdiChip::Ft2232H || chip == FtdiChip::Ft4232H;
}

struct FtdiAdapter {
    FtdiChip chip = FtdiChip::Other;
    std::string serial;       // may be empty: some adapters carry none
};

enum class FtdiOpenError { None, NotFound, NoPermission, Busy, Other };

// libftdi's bit modes used here.
inline constexpr std::uint8_t FtdiBitmodeReset = 0x00;
inline constexpr std::uint8_t FtdiBitmodeMpsse = 0x02;
inline constexpr std::uint8_t FtdiBitmodeSyncBitbang = 0x04;

class FtdiCalls {
public:
    virtual ~FtdiCalls() = default;

    // Opens the first FT232R, FT232H, FT2232H or FT4232H (channel A) found, or the one whose serial number
    // is `serial` when not empty. On failure `detail` carries the library's own words.
    virtual FtdiOpenError Open(const std::string& serial, FtdiAdapter& adapter, std::string& detail) = 0;
    virtual int SetBitmode(std::uint8_t outputMask, std::uint8_t mode) = 0;  // ftdi_set_bitmode
    virtual int SetBaudrate(int baudrate) = 0;                                // ftdi_set_baudrate
    virtual int SetLatencyTimer(std::uint8_t milliseconds) = 0;               // ftdi_set_latency_timer
    virtual int Purge() = 0;                                                  // ftdi_tcioflush

    // Transfers in flight, so that the adapter's pins keep clocking while the PC prepares and
    // sends the next block instead of idling through a USB round trip per block. Writes go out in
    // the order they were submitted, several at a time (ftdi_write_data_submit); `data` must
    // stay untouched until the write is done. A read takes the next `size` samples after the
    // previous read's, into `data`; between reads the layer keeps the adapter's buffer towards
    // the PC draining, so a sync bit-bang adapter never stops clocking for want of room there.
    // In MPSSE mode the bytes written are the engine's commands, and a read takes the bytes its
    // read commands answer, in order, instead of samples.
    // Each returns a transfer number >= 0, or a negative libftdi code.
    virtual int SubmitWrite(const std::uint8_t* data, int size) = 0;
    virtual int SubmitRead(std::uint8_t* data, int size) = 0;
    // Waits for a submitted transfer and returns its byte count, or a negative code on failure
    // (an adapter that stops answering fails after a timeout). Each transfer is waited for
    // once; reads in the order they were submitted.
    virtual int TransferDone(int transfer) = 0;                               // ftdi_transfer_data_done
    virtual void Close() = 0;                                                 // ftdi_usb_close
    virtual std::string ErrorString() = 0;                                    // ftdi_get_error_string

    // What the far side of the pins reports, as a port does (Port::Failure): only a simulated
    // adapter has one, the simulated board whose chips may fail to be saved.
    virtual std::string BoardFailure() const { return {}; }
    virtual void ClearBoardFailure() {}
};

}  // namespace tarpel::port

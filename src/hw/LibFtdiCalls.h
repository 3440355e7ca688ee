#pragma once
// The seam FtdiCalls on libftdi1 itself: the only file that includes its header.
#include "hw/FtdiCalls.h"

struct ftdi_context;

namespace tarpel::hw {

class LibFtdiCalls final : public FtdiCalls {
public:
    LibFtdiCalls();
    ~LibFtdiCalls() override;
    LibFtdiCalls(const LibFtdiCalls&) = delete;
    LibFtdiCalls& operator=(const LibFtdiCalls&) = delete;

    FtdiOpenError Open(const std::string& serial, FtdiAdapter& adapter, std::string& detail) override;
    int SetBitmode(std::uint8_t outputMask, std::uint8_t mode) override;
    int SetBaudrate(int baudrate) override;
    int SetLatencyTimer(std::uint8_t milliseconds) override;
    int Purge() override;
    int WriteData(const std::uint8_t* data, int size) override;
    int ReadData(std::uint8_t* data, int size) override;
    void Close() override;
    std::string ErrorString() override;

private:
    ftdi_context* context_;
    bool open_ = false;
};

}  // namespace tarpel::hw

// SPDX-License-Identifier: GPL-2.0-or-later
// A third party's reading of the virtual AVR's answers: a hand-written exchange (Programming
// Enable, then a signature read) is traced to a VCD file and decoded by sigrok's spi and avr_isp
// decoders, which know the chip's echo and answer pattern independently of this project.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "ExternalTool.h"
#include "VirtualAvrTestMaster.h"

namespace tarpel::sim {
namespace {

// Just enough VCD for sigrok: one wire per AVR-side line, a change list at 1 µs resolution.
class VcdTrace {
public:
    explicit VcdTrace(const std::string& path) : out_(path) {
        out_ << "$timescale 1 us $end\n$scope module avr $end\n";
        for (std::size_t i = 0; i < Names.size(); ++i)
            out_ << "$var wire 1 " << static_cast<char>('!' + i) << ' ' << Names[i] << " $end\n";
        out_ << "$upscope $end\n$enddefinitions $end\n";
    }

    void Sample(std::uint64_t timeUs, std::uint8_t data, bool miso) {
        const std::array<bool, 6> levels{(data & 0x07) == 0x07, (data & 0x08) != 0, (data & 0x10) != 0,
                                         (data & 0x20) != 0,    (data & 0x40) != 0, miso};
        std::ostringstream changes;
        for (std::size_t i = 0; i < levels.size(); ++i) {
            if (started_ && levels[i] == last_[i]) continue;
            changes << (levels[i] ? '1' : '0') << static_cast<char>('!' + i) << '\n';
        }
        last_ = levels;
        started_ = true;
        if (!changes.str().empty()) out_ << '#' << timeUs << '\n' << changes.str();
    }
    void Close(std::uint64_t endUs) {
        out_ << '#' << endUs << '\n';
        out_.close();
    }

private:
    static constexpr std::array<const char*, 6> Names{"VCC", "XTAL1", "RESET", "MOSI", "SCK", "MISO"};
    std::ofstream out_;
    std::array<bool, 6> last_{};
    bool started_ = false;
};

TEST(AvrSigrokTest, SigrokDecodesProgrammingEnableAndASignatureRead) {
    TARPEL_REQUIRE_TOOL("sigrok-cli");

    test::AvrRig rig("atmega8515");
    rig.master.PowerUp();
    const std::string path = rig.folder.Path("exchange.vcd");
    const std::uint64_t startNs = rig.master.nowNs;
    VcdTrace trace(path);
    rig.master.observer = [&](std::uint64_t nowNs, std::uint8_t data, std::optional<bool> miso) {
        trace.Sample((nowNs - startNs) / 1000, data, miso.value_or(true));
    };
    const auto enable = rig.master.Send(0xAC, 0x53, 0x00, 0x00);
    const auto signature = rig.master.Send(0x30, 0x00, 0x00, 0x00);
    rig.master.Cycles(4);
    trace.Close((rig.master.nowNs - startNs) / 1000);
    ASSERT_EQ(enable[2], 0x53);
    ASSERT_EQ(signature[3], 0x1E);

    const std::string decoded = test::CommandOutput("sigrok-cli -I vcd -i '" + path +
                                           "' -P spi:clk=SCK:mosi=MOSI:miso=MISO:cpol=0:cpha=0,avr_isp"
                                           " -A avr_isp 2>&1");
    EXPECT_NE(decoded.find("Programming enable"), std::string::npos) << decoded;
    EXPECT_NE(decoded.find("Vendor code: 0x1e (Atmel)"), std::string::npos) << decoded;
    // The decoder checks the echo of every byte; a model without it would draw warnings.
    EXPECT_EQ(decoded.find("Warning"), std::string::npos) << decoded;
}

}  // namespace
}  // namespace tarpel::sim

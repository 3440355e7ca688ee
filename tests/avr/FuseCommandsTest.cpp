// SPDX-License-Identifier: GPL-2.0-or-later
// "Leer" and "Grabar" of the fuse panel on the virtual devices.
#include <gtest/gtest.h>

#include "AvrBench.h"
#include "avr/FuseLists.h"
#include "avr/FuseMapping.h"
#include "avr/ReadFuses.h"
#include "avr/WriteFuses.h"

namespace tarpel::test {
namespace {

using shell::CommandOutcome;
using avr::FuseSettings;

class TestPanel final : public avr::FusePanel {
public:
    FuseSettings shown;
    int shows = 0;
    FuseSettings Settings() const override { return shown; }
    void ShowSettings(const FuseSettings& settings) override {
        shown = settings;
        ++shows;
        fields.reset();
    }
    std::optional<DeviceFuses> fields;  // another device's, in place of the lists and boxes
    void ShowDeviceFuses(avr::DeviceKind kind, avr::FuseBytes bytes) override { fields = DeviceFuses{kind, bytes}; }
    std::optional<DeviceFuses> ShownDeviceFuses() const override { return fields; }
};

struct FuseBench {
    explicit FuseBench(const std::string& model, std::optional<std::array<std::uint8_t, 2>> fuses = std::nullopt,
                       std::vector<std::string> faults = {}) {
        if (fuses) StoreMemory(folder, model, "fuses", {(*fuses)[0], (*fuses)[1]});
        bench = std::make_unique<AvrBench>(SimOptions(folder, model, std::move(faults)));
    }
    CommandOutcome Read() { return avr::ReadFuses(bench->frame, panel, memory); }
    CommandOutcome Write() { return avr::WriteFuses(bench->frame, panel, memory); }

    // The fuse writes the device was sent: {low or high instruction byte, value}.
    std::vector<std::pair<std::uint8_t, std::uint8_t>> FuseWrites() const {
        std::vector<std::pair<std::uint8_t, std::uint8_t>> writes;
        for (const auto& i : bench->port.instructions) {
            if (i.sent[0] == 0xAC && (i.sent[1] == 0xA0 || i.sent[1] == 0xA8 || i.sent[1] == 0xA4))
                writes.emplace_back(i.sent[1], i.sent[3]);
        }
        return writes;
    }
    std::uint8_t Low() { return bench->Device().LowFuse(); }

    TempFolder folder;
    std::unique_ptr<AvrBench> bench;
    TestPanel panel;
    avr::FuseMemory memory;
};

using Writes = std::vector<std::pair<std::uint8_t, std::uint8_t>>;

TEST(FuseCommands, FactoryFusesShowAsListedAndGoBackExactly) {
    FuseBench f("atmega8515");
    EXPECT_EQ(f.Read(), CommandOutcome::Done);
    const FuseSettings& s = f.panel.shown;
    EXPECT_EQ(avr::ClockOptions[static_cast<std::size_t>(s.xtalIndex)].caption, "IntRC: 1 Mhz");
    EXPECT_EQ(avr::SutCaptions[static_cast<std::size_t>(s.sutIndex)], "65 ms");
    EXPECT_EQ(avr::BootSizeCaptions[static_cast<std::size_t>(s.bootSizeIndex)], "1024 w");
    EXPECT_FALSE(s.boden);
    EXPECT_TRUE(s.bodLevel);
    EXPECT_FALSE(s.s8515c);
    EXPECT_FALSE(s.wdton);
    EXPECT_TRUE(s.spien);
    EXPECT_FALSE(s.ckopt);
    EXPECT_FALSE(s.eesave);
    EXPECT_FALSE(s.bootrst);
    EXPECT_TRUE(f.bench->shell.messages.empty());
    EXPECT_EQ(f.bench->port.CountOpcode(0x50), 1);
    EXPECT_EQ(f.bench->port.CountOpcode(0x58), 1);
    EXPECT_EQ(f.bench->PortByte(), 0x00);

    EXPECT_EQ(f.Write(), CommandOutcome::Done);
    EXPECT_EQ(f.FuseWrites(), (Writes{{0xA0, 0xE1}, {0xA8, 0xD9}}));
    ASSERT_EQ(f.bench->shell.messages.size(), 1u);
    EXPECT_EQ(f.bench->shell.messages[0].text, "Fuses grabados! Leelos para verificarlo");
    EXPECT_TRUE(f.bench->shell.messages[0].plain);
    // Each fuse write is waited out before anything else is sent; then both bytes are read back.
    const int highWrite =
        f.bench->port.Find([](const IspInstruction& i) { return i.sent[0] == 0xAC && i.sent[1] == 0xA8; });
    EXPECT_EQ(f.bench->clock.Count(50), 2);
    EXPECT_EQ(f.bench->clock.sleeps.back().afterInstructions, static_cast<std::size_t>(highWrite) + 1);
    EXPECT_EQ(f.bench->port.instructions.size(), static_cast<std::size_t>(highWrite) + 3);
    EXPECT_EQ(f.bench->port.CountOpcode(0x50), 2);
    EXPECT_EQ(f.bench->port.CountOpcode(0x58), 2);
    EXPECT_EQ(f.bench->PortByte(), 0x00);
    EXPECT_EQ(f.bench->shell.cursor, shell::CursorShape::Default);
    EXPECT_EQ(f.bench->Violations(), std::vector<std::string>{});
    EXPECT_EQ(f.Low(), 0xE1);
    EXPECT_EQ(f.bench->Device().HighFuse(), 0xD9);
}

TEST(FuseCommands, WritesWhatThePanelShowsWithSpienProgrammed) {
    FuseBench f("atmega8515");
    f.panel.shown = {3, 0, 2, true, false, true, true, false, true, true, true};
    EXPECT_EQ(f.Write(), CommandOutcome::Done);
    // BODLEVEL 0, BODEN 0, SUT 00, CKSEL 0011; S8515C 0 WDTON 0 SPIEN 0 CKOPT 0 EESAVE 0 BOOTSZ 10 BOOTRST 0.
    EXPECT_EQ(f.FuseWrites(), (Writes{{0xA0, 0x03}, {0xA8, 0x04}}));
    EXPECT_EQ(f.Low(), 0x03);
    EXPECT_EQ(f.bench->Violations(), std::vector<std::string>{});
}

TEST(FuseCommands, AnUntouchedClockListKeepsTheCkselItWasReadAs) {
    struct Case {
        std::uint8_t cksel;
        int item;
        std::uint8_t tableValue;
    };
    for (const Case c : {Case{7, 5, 5}, Case{12, 7, 15}}) {
        FuseBench f("atmega8515", std::array<std::uint8_t, 2>{static_cast<std::uint8_t>(0xE0 | c.cksel), 0xD9});
        f.bench->shell.answerYes = true;  // both clocks want an RC pair or a crystal: the user says yes
        ASSERT_EQ(f.Read(), CommandOutcome::Done);
        EXPECT_EQ(f.panel.shown.xtalIndex, c.item);
        EXPECT_EQ(f.Write(), CommandOutcome::Done);
        EXPECT_EQ(f.Low(), 0xE0 | c.cksel) << "list untouched: CKSEL " << int{c.cksel} << " stays";
        EXPECT_EQ(f.Write(), CommandOutcome::Done);
        EXPECT_EQ(f.Low(), 0xE0 | c.cksel) << "and again after a write";

        // The user chooses the very item shown: the table's value is written.
        f.memory.ClockChosen();
        EXPECT_EQ(f.Write(), CommandOutcome::Done);
        EXPECT_EQ(f.Low(), 0xE0 | c.tableValue) << "user's choice for CKSEL " << int{c.cksel};

        // Read again, then another item chosen.
        ASSERT_EQ(f.Read(), CommandOutcome::Done);
        f.panel.shown.xtalIndex = 4;
        f.memory.ClockChosen();
        EXPECT_EQ(f.Write(), CommandOutcome::Done);
        EXPECT_EQ(f.Low(), 0xE4);
        // Every power-up found the chip on an external RC or crystal clock, and it said so.
        const auto violations = f.bench->Violations();
        EXPECT_EQ(violations.size(), static_cast<std::size_t>(f.bench->port.powerUps));
        for (const auto& v : violations) EXPECT_NE(v.find("CKSEL"), std::string::npos) << v;
    }
}

TEST(FuseCommands, AClockThatNeedsACrystalOrAnRcPairIsWrittenOnlyAfterAYes) {
    for (std::size_t item = 0; item < avr::ClockOptions.size(); ++item) {
        const avr::ClockOption& clock = avr::ClockOptions[item];
        SCOPED_TRACE(std::string(clock.caption));
        FuseBench f("atmega8515");
        f.panel.shown = avr::SettingsFromFuses(0xE1, 0xD9);
        f.panel.shown.xtalIndex = static_cast<int>(item);
        const std::uint8_t low = static_cast<std::uint8_t>(0xE0 | clock.writtenCksel);
        const bool asks = clock.writtenCksel >= 5;  // external RC, low-frequency crystal, crystal

        if (asks) {
            EXPECT_EQ(f.Write(), CommandOutcome::Cancelled);
            ASSERT_EQ(f.bench->shell.questions.size(), 1u);
            const ShownMessage& question = f.bench->shell.questions[0];
            EXPECT_EQ(question.caption, "AVISO:");
            for (const std::string& words : {"\"" + std::string(clock.caption) + "\"", std::string("onda cuadrada"),
                                            std::string("dejar de contestar"), std::string("todas formas?")})
                EXPECT_NE(question.text.find(words), std::string::npos) << question.text;
            EXPECT_TRUE(f.FuseWrites().empty());
            EXPECT_TRUE(f.bench->shell.messages.empty());
            EXPECT_EQ(f.bench->PortByte(), 0x00);
            EXPECT_EQ(f.bench->shell.cursor, shell::CursorShape::Default);
            EXPECT_EQ(f.Low(), 0xE1) << "the chip keeps its clock";
            f.bench->shell.answerYes = true;
        }
        EXPECT_EQ(f.Write(), CommandOutcome::Done);
        EXPECT_EQ(f.bench->shell.questions.size(), asks ? 2u : 0u);
        EXPECT_EQ(f.FuseWrites(), (Writes{{0xA0, low}, {0xA8, 0xD9}}));
        EXPECT_EQ(f.Low(), low);
        EXPECT_EQ(f.bench->MessageTexts(), std::vector<std::string>{"Fuses grabados! Leelos para verificarlo"});
        EXPECT_EQ(f.bench->shell.cursor, shell::CursorShape::Default);
    }
}

TEST(FuseCommands, BytesThatDoNotReadBackAreAnErrorWithBothValues) {
    FuseBench f("atmega8515");
    // Lock mode 2 (LB1 programmed): the fuses still read, but no longer program.
    link::AvrLink& link = f.bench->frame.Link();
    ASSERT_TRUE(link.EnterProgrammingMode());
    for (std::uint8_t b : {std::uint8_t{0xAC}, std::uint8_t{0xE0}, std::uint8_t{0x00}, std::uint8_t{0xFE}}) {
        link.SpiTransfer(b);
        link.ClockXtal(10);
    }
    f.bench->clock.Sleep(10);
    link.AllLinesOff();
    ASSERT_EQ(f.Read(), CommandOutcome::Done);
    f.panel.shown.xtalIndex = 4;  // "IntRC: 8 Mhz"
    f.memory.ClockChosen();
    f.panel.shown.eesave = true;

    EXPECT_EQ(f.Write(), CommandOutcome::Failed);
    ASSERT_EQ(f.bench->shell.messages.size(), 1u);
    EXPECT_EQ(f.bench->shell.messages[0].text,
              "Los fuses leidos no coinciden con los grabados!!\rGrabados: FuseLow $E4 FuseHigh $D1\r"
              "Leidos: FuseLow $E1 FuseHigh $D9");
    EXPECT_EQ(f.bench->shell.messages[0].caption, "ERROR");
    EXPECT_FALSE(f.memory.Known().has_value()) << "the device holds neither the bytes read nor those meant";
    EXPECT_EQ(f.bench->PortByte(), 0x00);
    EXPECT_EQ(f.bench->shell.cursor, shell::CursorShape::Default);
}

TEST(FuseCommands, SutThreeSelectsNothingAndGrabarAsksForTheStartUpTime) {
    FuseBench f("atmega8515", std::array<std::uint8_t, 2>{0xF1, 0xD9});
    ASSERT_EQ(f.Read(), CommandOutcome::Done);
    EXPECT_EQ(f.panel.shown.sutIndex, avr::NoSelection);
    EXPECT_EQ(f.panel.shown.xtalIndex, 1);
    EXPECT_EQ(f.Write(), CommandOutcome::Failed);
    ASSERT_EQ(f.bench->shell.messages.size(), 1u);
    EXPECT_EQ(f.bench->shell.messages[0].text, "Debes seleccionar una opcion de StartUpTime (SUT)");
    EXPECT_TRUE(f.bench->shell.messages[0].plain);
    EXPECT_TRUE(f.FuseWrites().empty());
    EXPECT_EQ(f.bench->PortByte(), 0x00);
    EXPECT_EQ(f.bench->shell.cursor, shell::CursorShape::Default);
    EXPECT_EQ(f.Low(), 0xF1);
}

TEST(FuseCommands, EmptyListsAreAskedForInOrderAndNothingIsWritten) {
    FuseBench f("atmega8515");
    EXPECT_EQ(f.Write(), CommandOutcome::Failed);  // right after start: every list empty
    f.panel.shown.xtalIndex = 2;
    EXPECT_EQ(f.Write(), CommandOutcome::Failed);
    f.panel.shown.sutIndex = 0;
    EXPECT_EQ(f.Write(), CommandOutcome::Failed);
    EXPECT_EQ(f.bench->MessageTexts(), (std::vector<std::string>{"Debes seleccionar una opcion en Reloj",
                                                                 "Debes seleccionar una opcion de StartUpTime (SUT)",
                                                                 "Debes seleccionar una opcion de Boot Size"}));
    EXPECT_TRUE(f.FuseWrites().empty());
    EXPECT_EQ(f.bench->port.powerUps, 3) << "the device is identified first";
    EXPECT_EQ(f.bench->PortByte(), 0x00);
}

TEST(FuseCommands, DevicesWithoutFusesAreRefusedByBothButtons) {
    struct Case {
        const char* model;
        std::vector<std::string> faults;
        std::string message;  // for each press
    };
    const Case cases[] = {{"at90s8515", {}, "Solo para ATMEGA90S8515 !"},
                          {"at90s4414", {}, "Solo para ATMEGA90S8515 !"},
                          {"atmega8515", {"avr-unknown-signature"}, "ID de chip desconocido..."}};
    for (const auto& c : cases) {
        FuseBench f(c.model, std::nullopt, c.faults);
        f.panel.shown = avr::SettingsFromFuses(0xE1, 0xD9);
        const FuseSettings before = f.panel.shown;
        EXPECT_EQ(f.Read(), CommandOutcome::Failed) << c.model;
        EXPECT_EQ(f.Write(), CommandOutcome::Failed) << c.model;
        EXPECT_EQ(f.bench->MessageTexts(), (std::vector<std::string>{c.message, c.message})) << c.model;
        EXPECT_EQ(f.bench->port.powerUps, 2) << c.model;
        EXPECT_EQ(f.bench->port.CountOpcode(0x50) + f.bench->port.CountOpcode(0x58), 0);
        EXPECT_TRUE(f.FuseWrites().empty());
        EXPECT_EQ(f.panel.shows, 0);
        EXPECT_EQ(f.panel.shown, before);
        EXPECT_EQ(f.bench->PortByte(), 0x00);
        EXPECT_EQ(f.bench->shell.cursor, shell::CursorShape::Default);
        EXPECT_EQ(f.bench->Violations(), std::vector<std::string>{}) << c.model;
    }
}

TEST(FuseCommands, TheAtmega162ShowsItsOwnFieldsAndGrabarWritesThemOnlyToTheDeviceTheyCameFrom) {
    // Lists and boxes (the ATmega8515's) to an ATmega162, and an ATmega162's fields to an ATmega8515.
    FuseBench mega162("atmega162");
    FuseBench mega8515("atmega8515");
    mega8515.panel.fields = TestPanel::DeviceFuses{avr::DeviceKind::ATmega162, {0x62, 0x99, 0xFF}};
    for (FuseBench* f : {&mega162, &mega8515}) {
        EXPECT_EQ(f->Write(), CommandOutcome::Failed);
        EXPECT_TRUE(f->FuseWrites().empty());
        EXPECT_EQ(f->bench->PortByte(), 0x00);
    }
    EXPECT_EQ(mega162.bench->MessageTexts(),
              std::vector<std::string>{"El panel muestra los fuses de un ATMEGA 8515 (8kb flash) y el micro del zocalo "
                                       "es un ATMEGA 162 (16kb flash): lea sus fuses antes de grabarlos!!"});
    EXPECT_EQ(mega8515.bench->MessageTexts().size(), 1u);

    // Read, its three bytes are the panel's; written back with SPIEN cleared and CKDIV8 unprogrammed,
    // SPIEN stays programmed and every byte is written.
    ASSERT_EQ(mega162.Read(), CommandOutcome::Done);
    ASSERT_TRUE(mega162.panel.fields);
    EXPECT_EQ(mega162.panel.fields->bytes, avr::FuseBytes(0x62, 0x99, 0xFF));
    mega162.panel.fields->bytes = {0xE2, 0xB9, 0xFB};
    EXPECT_EQ(mega162.Write(), CommandOutcome::Done);
    EXPECT_EQ(mega162.FuseWrites(), (Writes{{0xA0, 0xE2}, {0xA8, 0x99}, {0xA4, 0xFB}}));
    EXPECT_EQ(mega162.bench->Device().ExtendedFuse(), 0xFB);
}

TEST(FuseCommands, NoDeviceOrALockedOneLeavesThePanelAlone) {
    for (const char* fault : {"avr-no-answer", "avr-locked"}) {
        FuseBench f("atmega8515", std::nullopt, {fault});
        EXPECT_EQ(f.Read(), CommandOutcome::Failed);
        EXPECT_EQ(f.bench->shell.messages.size(), 1u) << fault;
        EXPECT_EQ(f.panel.shows, 0);
        EXPECT_FALSE(f.memory.Known().has_value());
        EXPECT_EQ(f.bench->PortByte(), 0x00);
        EXPECT_EQ(f.bench->shell.cursor, shell::CursorShape::Default);
    }
}

}  // namespace
}  // namespace tarpel::test

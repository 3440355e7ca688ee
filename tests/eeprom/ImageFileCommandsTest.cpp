// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <vector>

#include "FakeClock.h"
#include "FileSizeLimit.h"
#include "RecordingPort.h"
#include "RecordingShell.h"
#include "TempFolder.h"
#include "eeprom/OpenImageFile.h"
#include "eeprom/SaveImageFile.h"
#include "files/HexRead.h"
#include "files/HexWrite.h"

namespace tarpel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using shell::CommandOutcome;

const std::string MoreData =
    "El archivo contiene mas datos de los que el \rchip seleccionado puede almacenar: Se truncaran los datos";
const std::string LessData =
    "El archivo contiene menos datos de los que el \rchip seleccionado puede almacenar: Se rellenara con FF";

Bytes Counting(std::size_t count) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + i / 256);
    return bytes;
}

class ImageFileCommands : public ::testing::Test {
protected:
    void SetUp() override {
        workspace.RefreshGrid = [this] { ++refreshes; };
        workspace.cbChipChange(2);  // "24C04 - 0.5kb"
        refreshes = 0;
    }
    Bytes Image(std::size_t from, std::size_t to) const {
        return {workspace.MemoryImage.begin() + static_cast<std::ptrdiff_t>(from),
                workspace.MemoryImage.begin() + static_cast<std::ptrdiff_t>(to)};
    }
    bool AllFF(std::size_t from, std::size_t to) const {
        const Bytes part = Image(from, to);
        return std::all_of(part.begin(), part.end(), [](std::uint8_t b) { return b == 0xFF; });
    }

    eeprom::EepromWorkspace workspace;
    RecordingShell shell;
    FakeClock clock;
    RecordingPort port{&clock};
    link::BoardLines lines{port};
    link::BitTiming timing{clock};
    eeprom::CommandFrame frame{workspace, lines, timing, shell};
    TempFolder folder;
    int refreshes = 0;
};

TEST_F(ImageFileCommands, OpenBinaryWarnsWhenTheLengthDiffersFromTheChip) {
    struct Case {
        std::size_t length;
        const std::string* warning;
    };
    const Case cases[] = {{512, nullptr}, {600, &MoreData}, {100, &LessData}};
    for (const auto& c : cases) {
        shell.messages.clear();
        refreshes = 0;
        const Bytes content = Counting(c.length);
        shell.openChoices.push_back(folder.Write("f.bin", content));
        eeprom::OpenImageFile(frame);

        if (c.warning) {
            ASSERT_EQ(shell.messages.size(), 1u) << c.length;
            EXPECT_EQ(shell.messages[0].text, *c.warning);
            EXPECT_EQ(shell.messages[0].caption, "AVISO:");
        } else {
            EXPECT_TRUE(shell.messages.empty()) << c.length;
        }
        const std::size_t loaded = c.length;
        EXPECT_EQ(Image(0, loaded), content) << "the bytes read stay, also past the chip";
        EXPECT_TRUE(AllFF(loaded, eeprom::MemoryImageSize)) << c.length;
        EXPECT_EQ(refreshes, 1);
    }
    // An empty file gives the chip nothing: refused, as an empty HEX file is, image untouched.
    shell.messages.clear();
    refreshes = 0;
    EXPECT_EQ(eeprom::OpenImageFrom(frame, folder.Write("f.bin", Bytes{})), CommandOutcome::Failed);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, "El fichero no contiene ningun dato!!");
    EXPECT_EQ(shell.messages[0].caption, "ERROR");
    EXPECT_EQ(Image(0, 100), Counting(100)) << "the image of the last file stays";
    EXPECT_EQ(refreshes, 0);
}

TEST_F(ImageFileCommands, OpenBinaryReadsAtMostOneHundredThousandBytes) {
    const Bytes content = Counting(100050);
    EXPECT_EQ(eeprom::OpenImageFrom(frame, folder.Write("big.BIN", content)), CommandOutcome::Done);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, MoreData);
    EXPECT_EQ(Image(0, 100000), Bytes(content.begin(), content.begin() + 100000));
    EXPECT_EQ(workspace.MemoryImage[100000], 0xFF);
}

TEST_F(ImageFileCommands, AFileThatGivesNoImageIsRefusedAndLeavesImageAndGrid) {
    std::iota(workspace.MemoryImage.begin(), workspace.MemoryImage.end(), std::uint8_t{0});
    const Bytes before = workspace.MemoryImage;
    std::filesystem::create_directory(folder.Path("folder.hex"));
    const std::string unreadable = "No se puede abrir el fichero!!";
    const std::string noData = "El fichero no contiene datos HEX validos!!";
    const std::pair<std::string, std::string> cases[] = {
        {folder.Write("notes.txt", "0123"), "Tipo de fichero desconocido (debe ser .hex, .bin, .srec, .s19, .s28, .s37 o .mot)!!"},
        {folder.Path("missing.bin"), unreadable},
        {folder.Path("missing.hex"), unreadable},
        {folder.Path("folder.hex"), unreadable},
        {folder.Write("empty.hex", ""), noData},
        {folder.Write("zeros.hex", std::string(700, '\0')), noData},
        {folder.Write("garbage.hex", Counting(700)), noData},
        {folder.Write("motorola.hex", "S1130000285F245F2212226A000424290008237C2A\nS9030000FC\n"), noData},
    };
    for (const auto& [file, message] : cases) {
        shell.messages.clear();
        refreshes = 0;
        EXPECT_EQ(eeprom::OpenImageFrom(frame, file), CommandOutcome::Failed) << file;
        ASSERT_EQ(shell.messages.size(), 1u) << file;
        EXPECT_EQ(shell.messages[0].text, message) << file;
        EXPECT_EQ(shell.messages[0].caption, "ERROR") << file;
        EXPECT_EQ(workspace.MemoryImage, before) << file;
        EXPECT_EQ(refreshes, 0) << file << ": the grid keeps showing the image";
    }
    // A file that does load starts from an erased image.
    EXPECT_EQ(eeprom::OpenImageFrom(frame, folder.Write("one.hex", ":0100000011EE\n")), CommandOutcome::Done);
    EXPECT_EQ(workspace.MemoryImage[0], 0x11);
    EXPECT_TRUE(AllFF(1, eeprom::MemoryImageSize));
    EXPECT_EQ(refreshes, 1);
}

TEST_F(ImageFileCommands, CancelledOpenKeepsTheImage) {
    workspace.MemoryImage[5] = 0x12;
    const Bytes before = workspace.MemoryImage;
    shell.openChoices.push_back(std::nullopt);
    EXPECT_EQ(eeprom::OpenImageFile(frame), CommandOutcome::Cancelled);
    EXPECT_EQ(workspace.MemoryImage, before);
    EXPECT_EQ(refreshes, 0);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(ImageFileCommands, OpenHexWarnsOfWrongLinesAndOfDataBeyondTheChip) {
    // A file for a 24C32 opened on a 24C04, two of its lines spoilt: a checksum and a stray
    // character. Its records from 0x200 on are dropped, except the one at exactly 0x200,
    // which lands whole in the slack; the spoilt lines load as they always did.
    const Bytes large = Counting(4096);
    const auto name = folder.Path("large.hex");
    ASSERT_TRUE(files::HexWrite(name, large, 4096));
    std::string text = folder.ReadText("large.hex");
    const std::size_t line3 = text.find("\r\n:100020");
    char& checksumDigit = text[text.find('\r', line3 + 2) - 1];
    checksumDigit = checksumDigit == '0' ? '1' : '0';
    text.insert(text.find("\r\n", text.find(":100040")), "x");
    folder.Write("large.hex", text);

    EXPECT_EQ(eeprom::OpenImageFrom(frame, name), CommandOutcome::Done);
    ASSERT_EQ(shell.messages.size(), 2u);
    EXPECT_EQ(shell.messages[0].text,
              "El fichero tiene 2 lineas que no son registros HEX validos (la primera, la linea 3): "
              "\rse han cargado tal como estan");
    EXPECT_EQ(shell.messages[0].caption, "AVISO:");
    EXPECT_EQ(shell.messages[1].text, MoreData);
    EXPECT_EQ(shell.messages[1].caption, "AVISO:");
    EXPECT_EQ(Image(0, 0x210), Bytes(large.begin(), large.begin() + 0x210));
    EXPECT_TRUE(AllFF(0x210, eeprom::MemoryImageSize));
    EXPECT_EQ(refreshes, 1);

    // The chip's own size, or less, gives no warning: holes in a HEX file are no fault.
    shell.messages.clear();
    ASSERT_TRUE(files::HexWrite(name, large, 512));
    EXPECT_EQ(eeprom::OpenImageFrom(frame, name), CommandOutcome::Done);
    ASSERT_TRUE(files::HexWrite(name, large, 100));
    EXPECT_EQ(eeprom::OpenImageFrom(frame, name), CommandOutcome::Done);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(ImageFileCommands, SaveWritesTheChipsBytesInTheChosenKind) {
    const Bytes content = Counting(512);
    std::copy(content.begin(), content.end(), workspace.MemoryImage.begin());
    workspace.MemoryImage[512] = 0x00;  // slack is never saved

    shell.saveChoices.push_back(folder.Path("a.bin"));
    eeprom::SaveImageFile(frame);
    EXPECT_EQ(folder.ReadBytes("a.bin"), content);
    EXPECT_EQ(shell.cursorChanges, (std::vector{shell::CursorShape::Hourglass, shell::CursorShape::Default}));

    shell.saveChoices.push_back(folder.Path("a.HEX"));
    eeprom::SaveImageFile(frame);
    const std::string text = folder.ReadText("a.HEX");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 33) << "32 records and the end record";
    Bytes back(512 + 255, 0xFF);
    ASSERT_TRUE(files::HexRead(folder.Path("a.HEX"), 512, back).opened);
    EXPECT_EQ(Bytes(back.begin(), back.begin() + 512), content);
    EXPECT_EQ(back[512], 0xFF);

    shell.saveChoices.push_back(std::nullopt);
    eeprom::SaveImageFile(frame);
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(eeprom::SaveImageTo(frame, folder.Path("a.txt")), CommandOutcome::Failed);
    EXPECT_EQ(folder.Names().size(), 2u) << "neither a cancelled save nor a .txt name writes";
    ASSERT_EQ(shell.messages.size(), 1u) << "a .txt name is not passed over in silence";
    EXPECT_EQ(shell.messages[0].text, "Tipo de fichero desconocido (debe ser .hex, .bin, .srec, .s19, .s28, .s37 o .mot)!!");
    EXPECT_EQ(shell.messages[0].caption, "ERROR");
    EXPECT_EQ(refreshes, 0);
}

TEST_F(ImageFileCommands, OpenAndSaveConvertBetweenTheKinds) {
    const Bytes original = Counting(600);
    ASSERT_EQ(eeprom::OpenImageFrom(frame, folder.Write("in.bin", original)), CommandOutcome::Done);
    ASSERT_EQ(eeprom::SaveImageTo(frame, folder.Path("mid.hex")), CommandOutcome::Done);
    ASSERT_EQ(eeprom::OpenImageFrom(frame, folder.Path("mid.hex")), CommandOutcome::Done);
    ASSERT_EQ(eeprom::SaveImageTo(frame, folder.Path("out.bin")), CommandOutcome::Done);
    EXPECT_EQ(folder.ReadBytes("out.bin"), Bytes(original.begin(), original.begin() + 512))
        << "limited to the chip's size";
    ASSERT_EQ(shell.messages.size(), 1u) << "only the warning about the 600-byte file";
}

TEST_F(ImageFileCommands, FailedSavesAreReportedAndKeepTheOldFile) {
    folder.Write("plain", "a file, not a folder");
    std::filesystem::create_directory(folder.Path("taken.bin"));
    std::filesystem::create_directory(folder.Path("taken.hex"));
    for (const std::string kind : {".bin", ".hex"}) {
        for (const auto& target : {folder.Path("missing/x" + kind), folder.Path("plain/x" + kind), folder.Path("taken" + kind)}) {
            shell.messages.clear();
            EXPECT_EQ(eeprom::SaveImageTo(frame, target), CommandOutcome::Failed) << target;
            ASSERT_EQ(shell.messages.size(), 1u) << target;
            // A folder where the file should go is named as what it is.
            EXPECT_EQ(shell.messages[0].text, target.ends_with("taken" + kind)
                                                  ? target + " no es un fichero normal (es un dispositivo, una FIFO o "
                                                             "una carpeta): no se ha tocado. Elija otro nombre!!"
                                                  : "No se puede crear fichero!!");
            EXPECT_EQ(shell.messages[0].caption, "ERROR");
            EXPECT_EQ(shell.cursor, shell::CursorShape::Default);
        }
        // A disk that fills up part-way: the old file stays as it was.
        shell.messages.clear();
        const auto old = folder.Write("old" + kind, "old contents");
        {
            FileSizeLimit diskFull(100);
            EXPECT_EQ(eeprom::SaveImageTo(frame, old), CommandOutcome::Failed);
        }
        EXPECT_EQ(folder.ReadText("old" + kind), "old contents");
        ASSERT_EQ(shell.messages.size(), 1u) << kind;
        EXPECT_EQ(shell.messages[0].text, "No se puede crear fichero!!");
    }
    EXPECT_EQ(folder.Names().size(), 5u) << "no temporary or partial file left behind";
}

}  // namespace
}  // namespace tarpel::test

// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "TempFolder.h"
#include "ui/SettingsStore.h"

namespace tarpel::ui {
namespace {

QString IniPath(const test::TempFolder& folder) { return QString::fromStdString(folder.Path("TARPEL.ini")); }

TEST(SettingsStore, MissingStoreAndMissingValuesGiveTheDefaults) {
    test::TempFolder folder;
    SettingsStore store(IniPath(folder));
    EXPECT_EQ(store.ReadString("OPEN_DIR", "."), ".");
    EXPECT_EQ(store.ReadInteger("RETARDO", 1), 1);
    store.WriteString("SAVE_DIR", "/tmp");
    EXPECT_EQ(store.ReadString("OPEN_DIR", "."), ".");  // the section exists, the value does not
}

TEST(SettingsStore, ValuesRoundTripAsTextInTheConfigSection) {
    test::TempFolder folder;
    {
        SettingsStore store(IniPath(folder));
        store.WriteInteger("RETARDO", 75);
        store.WriteString("OPEN_DIR", "/home/ana/mis chips/24c64 copia.hex");
        store.WriteString("SAVE_DIR", "*.hex");
        store.WriteInteger("BASE_TIEMPO", -3);
    }
    SettingsStore reopened(IniPath(folder));
    EXPECT_EQ(reopened.ReadInteger("RETARDO", 1), 75);
    EXPECT_EQ(reopened.ReadString("RETARDO", ""), "75");
    EXPECT_EQ(reopened.ReadString("OPEN_DIR", "."), "/home/ana/mis chips/24c64 copia.hex");
    EXPECT_EQ(reopened.ReadString("SAVE_DIR", "."), "*.hex");
    EXPECT_EQ(reopened.ReadInteger("BASE_TIEMPO", 0), -3);

    const std::string text = folder.ReadText("TARPEL.ini");
    EXPECT_NE(text.find("[CONFIG]"), std::string::npos) << text;
    EXPECT_NE(text.find("RETARDO=75"), std::string::npos) << text;
}

TEST(SettingsStore, IntegerReadOfTextThatIsNotDecimalGivesTheDefault) {
    for (const char* stored : {"abc", "0x10", "12abc", "1.5", "", "99999999999"}) {
        test::TempFolder folder;
        folder.Write("TARPEL.ini", std::string("[CONFIG]\nRETARDO=") + stored + "\n");
        SettingsStore store(IniPath(folder));
        EXPECT_EQ(store.ReadInteger("RETARDO", 1), 1) << stored;
    }
    test::TempFolder folder;
    folder.Write("TARPEL.ini", "[CONFIG]\nRETARDO=-4\n");
    EXPECT_EQ(SettingsStore(IniPath(folder)).ReadInteger("RETARDO", 1), -4);
}

TEST(SettingsStore, HandEditedFolderWithACommaStaysOneName) {
    test::TempFolder folder;
    folder.Write("TARPEL.ini", "[CONFIG]\nOPEN_DIR=/datos/a,b/x.hex\n");
    EXPECT_EQ(SettingsStore(IniPath(folder)).ReadString("OPEN_DIR", "."), "/datos/a,b/x.hex");
}

TEST(SettingsStore, UserStoreIsTheTarpelIniFile) {
    EXPECT_TRUE(SettingsStore().FileName().endsWith("/TARPEL.ini")) << SettingsStore().FileName().toStdString();
}

}  // namespace
}  // namespace tarpel::ui

// The translation table: file format, case-insensitive first match, the
// empty-value rule, and a file that cannot be read.
#include "translation/translation_table.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/posix/posix_file_system.h"
#include "temp_dir.h"
#include "translation/translation_keys.h"

namespace tavrel {
namespace {

TEST(TranslationTable, EveryLineEndCountsAndTheFileEndsAtItsFirstNul) {
    TranslationTable t;
    using namespace std::string_literals;
    t.loadBytes("[Spanish]\r\nok=Aceptar\rcancel=Cancelar\n\nexit=Salir\0hidden=x"s);
    EXPECT_EQ(t.lines(), (std::vector<std::string>{"[Spanish]", "ok=Aceptar", "cancel=Cancelar", "",
                                                   "exit=Salir"}));
    EXPECT_EQ(t.Translate("&Cancel", "cancel"), "Cancelar");
    EXPECT_EQ(t.Translate("E&xit", "exit"), "Salir");
    EXPECT_EQ(t.Translate("x", "hidden"), "x");
    EXPECT_EQ(t.Translate("x", "[Spanish]"), "x");
}

// An editor that saves with a UTF-8 byte-order mark writes the whole file in
// UTF-8: the first key must still match, and the accents are the characters
// they stand for.
TEST(TranslationTable, AFileWithAUtf8ByteOrderMarkIsReadAsUtf8) {
    TranslationTable t;
    t.loadBytes("\xEF\xBB\xBFok=Aceptar\r\nexit=Salir \xC3\xA9\xE2\x82\xAC\r\n");
    EXPECT_EQ(t.Translate("OK", "ok"), "Aceptar");
    EXPECT_EQ(t.Translate("E&xit", "exit"), "Salir \xE9\x80");
}

TEST(TranslationTable, KeysMatchWithoutCaseButNothingIsTrimmed) {
    TranslationTable t;
    t.loadBytes(
        " ok=Blank before\nOK =Blank after\nACTIVATEPORT=Puerto\n\xC9t\xC9=summer\n"
        "eq=a=b \n");
    EXPECT_EQ(t.Translate("&Activate port", "ActivatePort"), "Puerto");
    EXPECT_EQ(t.Translate("Ok", "ok"), "Ok");
    EXPECT_EQ(t.Translate("Ok", "OK "), "Blank after");
    EXPECT_EQ(t.Translate("?", "\xE9t\xE9"), "summer");
    EXPECT_EQ(t.Translate("?", "eq"), "a=b ");
}

TEST(TranslationTable, TheFirstLineOfAKeyCountsEvenWhenItsValueIsEmpty) {
    TranslationTable t;
    t.loadBytes("ok=A\nok=B\ncancel=\ncancel=Cancelar\n");
    EXPECT_EQ(t.Translate("Ok", "ok"), "A");
    EXPECT_EQ(t.Translate("&Cancel", "cancel"), "&Cancel");
    EXPECT_EQ(TranslationTable().Translate("Ok", "ok"), "Ok");
}

TEST(TranslationTable, AFileThatCannotBeReadKeepsThePreviousTableAndSaysWhy) {
    testing::TempDir dir;
    PosixFileSystem files;
    dir.put("es.txt", "ok=Aceptar\r\n");
    TranslationTable t;
    ASSERT_TRUE(t.loadFile(files, dir.file("es.txt")).ok());
    EXPECT_EQ(t.Translate("Ok", "ok"), "Aceptar");

    std::filesystem::create_directory(dir.file("broken.txt"));
    const FileStatus status = t.loadFile(files, dir.file("broken.txt"));
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.error, "");
    EXPECT_EQ(t.Translate("Ok", "ok"), "Aceptar");
}

// A key a shipped file lacks would leave that text in English for good.
TEST(TranslationTable, EveryShippedFileTranslatesEveryKey) {
    PosixFileSystem files;
    int shipped = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TAVREL_TRANSLATIONS_DIR)) {
        ++shipped;
        TranslationTable t;
        ASSERT_TRUE(t.loadFile(files, entry.path().string()).ok()) << entry.path();
        for (std::string_view key : kTranslationKeys) {
            EXPECT_NE(t.Translate("", key), "") << entry.path() << ": " << key;
        }
    }
    EXPECT_GE(shipped, 2);
}

}  // namespace
}  // namespace tavrel

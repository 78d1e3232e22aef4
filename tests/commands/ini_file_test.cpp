// The INI rules: lookup, value cleaning, integers, and in-place updates that
// keep every other byte.
#include "commands/ini_file.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "commands/text_case.h"

namespace tavrel {
namespace {

TEST(IniFile, SectionsAndKeysMatchWithoutCaseAndTheFirstOneWins) {
    const IniFile ini(
        "; a remark\r\n"
        "top=ignored\r\n"
        "\r\n"
        "[Files]\r\n"
        "Settings=first\r\n"
        "SETTINGS=second\r\n"
        "  Language  =  fr.txt  \r\n"
        "[fILES]\r\n"
        "LogFile=only in the second section\r\n");
    EXPECT_EQ(ini.read("files", "settings"), "first");
    EXPECT_EQ(ini.read("FILES", "language"), "fr.txt");
    EXPECT_FALSE(ini.read("Files", "LogFile"));
    EXPECT_FALSE(ini.read("Files", "top"));
    EXPECT_FALSE(ini.read("Files", "; a remark"));
    EXPECT_EQ(ini.readString("Nowhere", "x", "fallback"), "fallback");
}

// Many sections, and a section of many keys, are looked up through an index
// rather than a scan; the same rules hold there.
TEST(IniFile, LargeFilesFollowTheSameRulesAsSmallOnes) {
    std::string bytes = "[Keys]\r\n";
    for (int k = 0; k < 50; ++k) {
        bytes += "Key" + std::to_string(k) + "=" + std::to_string(k) + "\r\n";
    }
    bytes += "KEY7=repeat\r\n";
    for (int s = 0; s < 100; ++s) {
        bytes += "[Sec" + std::to_string(s) + "]\r\nv=" + std::to_string(s) + "\r\n";
    }
    bytes += "[SEC5]\r\nv=repeat\r\nw=only here\r\n";
    const IniFile ini(bytes);
    for (int k = 0; k < 50; ++k) {
        EXPECT_EQ(ini.readInt("keys", "kEY" + std::to_string(k), -1), k);
    }
    for (int s = 0; s < 100; ++s) {
        EXPECT_EQ(ini.readInt("sEC" + std::to_string(s), "V", -1), s);
    }
    EXPECT_FALSE(ini.read("Keys", "Key50"));
    EXPECT_FALSE(ini.read("Sec5", "w"));
    EXPECT_FALSE(ini.read("Sec100", "v"));
}

TEST(IniFile, ValuesLoseSurroundingBlanksAndMatchingQuotesAndStopAt1023Characters) {
    const std::string longValue(1500, 'A');
    const IniFile ini(
        "[S]\nd=\"quoted text\"\ns=' single '\nmixed=\"x'\nlone=\"\nlong=" + longValue + "\n");
    EXPECT_EQ(ini.read("S", "d"), "quoted text");
    EXPECT_EQ(ini.read("S", "s"), " single ");
    EXPECT_EQ(ini.read("S", "mixed"), "\"x'");
    EXPECT_EQ(ini.read("S", "lone"), "\"");
    EXPECT_EQ(ini.read("S", "long")->size(), kIniValueReadLimit);
}

TEST(IniFile, IntegersAreDecimalOrHexadecimalAndAnythingElseGivesTheDefault) {
    const struct {
        const char* text;
        std::int32_t expected;
    } cases[] = {
        {"42", 42},
        {"-7", -7},
        {"+7", 7},
        {"0x1F", 31},
        {"0X1f", 31},
        {"$ff", 255},
        {"0xFFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        // no integer: the default 99
        {"0x", 99},
        {"$", 99},
        {"12a", 99},
        {"", 99},
        {"-", 99},
        {"2147483648", 99},
        {"99999999999", 99},
        {"0x100000000", 99},
        {"0xG", 99},
        {"1 2", 99},
    };
    for (const auto& c : cases) {
        const IniFile ini(std::string("[S]\nk=") + c.text + "\n");
        EXPECT_EQ(ini.readInt("S", "k", 99), c.expected) << '"' << c.text << '"';
    }
    const IniFile flags("[S]\non=2\noff=0\nbad=yes\n");
    EXPECT_TRUE(flags.readBool("S", "on", false));
    EXPECT_FALSE(flags.readBool("S", "off", true));
    EXPECT_TRUE(flags.readBool("S", "bad", true));
    EXPECT_FALSE(flags.readBool("S", "missing", false));
}

TEST(IniFile, UpdatesInPlaceKeepEveryOtherLineByteForByte) {
    IniFile ini(
        "; kept \xA1 remark\n"
        "[Ports]\n"
        "COM2=/dev/ttyUSB0\n"
        "[Files]\n"
        "Other=\xA1x\xA1\n"
        "  settings = old\n"
        "\n"
        "[Tail]\n"
        "z=1\n");
    ini.write("Files", "Settings", "new");
    ini.write("files", "Language", "es.txt");
    ini.writeBool("Config", "Sonido", false);
    ini.writeInt("Tail", "n", -3);
    EXPECT_EQ(ini.bytes(),
              "; kept \xA1 remark\r\n"
              "[Ports]\r\n"
              "COM2=/dev/ttyUSB0\r\n"
              "[Files]\r\n"
              "Other=\xA1x\xA1\r\n"
              "settings=new\r\n"
              "Language=es.txt\r\n"
              "\r\n"
              "[Tail]\r\n"
              "z=1\r\n"
              "n=-3\r\n"
              "\r\n"
              "[Config]\r\n"
              "Sonido=0\r\n");
    EXPECT_EQ(IniFile(ini.bytes()).read("Files", "Language"), "es.txt");
}

TEST(IniFile, AWrittenLineBreakCannotForgeAnotherEntry) {
    IniFile ini;
    ini.write("S", "name", "a\r\n[Config]\r\nPuerto=9");
    const IniFile back(ini.bytes());
    EXPECT_EQ(back.sectionNames(), std::vector<std::string_view>{"S"});
    EXPECT_EQ(back.read("S", "name"), "a  [Config]  Puerto=9");

    IniWriter writer;
    writer.section("S");
    writer.key("k", "x\ny");
    EXPECT_EQ(writer.bytes(), "[S]\r\nk=x y\r\n");
}

// A name a reader would find otherwise is refused, by both writers alike.
TEST(IniFile, NamesThatWouldNotReadBackAreRefused) {
    const struct {
        std::string section;
        std::string key;
    } refused[] = {
        {"\vS", "k"}, {"S\f", "k"},   {"S", "\fk"}, {"S", "k\v"}, {" S", "k"},
        {"S", "k\t"}, {"S", "k\x1A"}, {"", "k"},    {"S", ""},    {"a]b", "k"},
        {"S", "a=b"}, {"S", ";k"},    {"S", "[k"},  {"S", "k\n"},
    };
    for (const auto& c : refused) {
        IniFile ini("[S]\r\nk=1\r\n");
        EXPECT_FALSE(ini.write(c.section, c.key, "2"));
        EXPECT_EQ(ini.bytes(), "[S]\r\nk=1\r\n");
        IniWriter writer;
        EXPECT_FALSE(writer.section(c.section) && writer.key(c.key, "2"));
        EXPECT_EQ(writer.bytes().find("=2"), std::string::npos) << writer.bytes();
    }
    IniFile ini;
    EXPECT_TRUE(ini.write("Mid\vdle", "k\fk", "v"));
    EXPECT_EQ(IniFile(ini.bytes()).read("Mid\vdle", "k\fk"), "v");
}

TEST(IniFile, RewritingAnIndentedKeyKeepsItFoundAndSingle) {
    IniFile ini("[S]\r\n  K=1\r\n");
    ini.write("S", "K", "x");
    EXPECT_EQ(ini.read("S", "K"), "x");
    ini.write("S", "K", "y");
    EXPECT_EQ(ini.bytes(), "[S]\r\nK=y\r\n");
}

// Random writes and reads, checked against a plain map of what was written.
TEST(IniFile, WritesAndReadsAgreeWithAPlainModel) {
    const std::vector<std::string> sections{"S", "s", "T", "U"};
    const std::vector<std::string> keys{"K", "k", "Long key", "L", "M"};
    const std::vector<std::string> values{"", "1", "x y", "\xA1v", "0x10"};
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 random(seed);
        auto pick = [&random](const std::vector<std::string>& from) {
            return from[random() % from.size()];
        };
        IniFile ini("; top\r\n[S]\r\n  K=1\r\n\tL = 2 \r\n\r\n[T]\r\n M =3\r\n");
        std::map<std::string, std::string> model{{"s/k", "1"}, {"s/l", "2"}, {"t/m", "3"}};
        for (int step = 0; step < 200; ++step) {
            const std::string section = pick(sections);
            const std::string key = pick(keys);
            const std::string name = FoldCase1252(section) + "/" + FoldCase1252(key);
            switch (random() % 4) {
                case 0:
                    ini = IniFile(ini.bytes());
                    break;
                case 1: {
                    const auto found = model.find(name);
                    EXPECT_EQ(ini.read(section, key),
                              found == model.end() ? std::nullopt : std::optional(found->second))
                        << "seed " << seed << " step " << step << " " << name;
                    break;
                }
                default:
                    model[name] = pick(values);
                    ini.write(section, key, model[name]);
            }
        }
        for (const auto& [name, value] : model) {
            const auto slash = name.find('/');
            EXPECT_EQ(IniFile(ini.bytes()).read(name.substr(0, slash), name.substr(slash + 1)),
                      value)
                << "seed " << seed;
        }
    }
}

TEST(IniFile, EveryLineEndFormAndAByteOrderMarkReadAlike) {
    const std::string text = "[Files]\nSettings=a.ini\nNum=12\n\n[Config]\nSonido=0\n";
    for (const std::string lineEnd : {"\n", "\r\n", "\r", "\r\r\n"}) {
        for (const std::string mark : {"", "\xEF\xBB\xBF"}) {
            std::string bytes = mark;
            for (const char c : text) {
                bytes += c == '\n' ? lineEnd : std::string(1, c);
            }
            const IniFile ini(bytes);
            const std::string form = ::testing::PrintToString(mark + lineEnd);
            EXPECT_EQ(ini.read("Files", "Settings"), "a.ini") << form;
            EXPECT_EQ(ini.readInt("Files", "Num", 0), 12) << form;
            EXPECT_FALSE(ini.readBool("Config", "Sonido", true)) << form;
            EXPECT_EQ(ini.bytes(),
                      mark + "[Files]\r\nSettings=a.ini\r\nNum=12\r\n\r\n[Config]\r\nSonido=0\r\n")
                << form;
        }
    }
    const IniFile padded("[S]\nz=1\x1A\nf=\f2\nv=3\v\n");
    EXPECT_EQ(padded.readInt("S", "z", 0), 1);
    EXPECT_EQ(padded.readInt("S", "f", 0), 2);
    EXPECT_EQ(padded.readInt("S", "v", 0), 3);
}

TEST(IniFile, ValuesWithBlankOrQuoteEndsComeBackExactly) {
    for (const std::string value : {" lead", "trail ", "\"Quoted\"", "'single'", "\"", "a\"",
                                    "\tx\f", "\xA1SendKeys\xA1NNNNhello ", "plain \"in\" text"}) {
        IniWriter writer;
        writer.section("S");
        writer.key("k", value);
        EXPECT_EQ(IniFile(writer.bytes()).read("S", "k"), value) << writer.bytes();
        IniFile updated("[S]\r\nk=old\r\n");
        updated.write("S", "k", value);
        EXPECT_EQ(IniFile(updated.bytes()).read("S", "k"), value) << updated.bytes();
    }
    IniWriter plain;
    plain.key("k", "plain \"in\" text");
    EXPECT_EQ(plain.bytes(), "k=plain \"in\" text\r\n");
}

}  // namespace
}  // namespace tavrel

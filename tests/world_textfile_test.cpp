#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "gameplay/state.h"
#include "tests/support/world_support.h"
#include "world/textfile.h"
#include "world/world.h"

namespace {

std::vector<std::string> split(const std::string& text, const std::string& sep = "", bool skip = false) {
    std::vector<std::string> out{"stale"};
    int32_t n = splitString(text, sep, skip, out);
    EXPECT_EQ(n, static_cast<int32_t>(out.size()));
    return out;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(Decoding, ByteOrderMarks) {
    EXPECT_EQ(decodeText("zone:0,0\n"), "zone:0,0\n");
    EXPECT_EQ(decodeText("\xEF\xBB\xBFzone:0,0"), "zone:0,0");
    // UTF-16 little endian, with an e-acute and a character outside the basic plane.
    std::string utf16("\xFF\xFE" "a\0\xE9\0\x3D\xD8\x00\xDE\n\0", 12);
    EXPECT_EQ(decodeText(utf16), "a\xC3\xA9\xF0\x9F\x98\x80\n");
    EXPECT_EQ(decodeText("\xFE\xFF\0a"), "");
    EXPECT_EQ(decodeText(std::string("\0\0\xFE\xFFzone", 8)), "");
    EXPECT_EQ(decodeText(""), "");
    EXPECT_EQ(decodeText("\xEF\xBB\xBF"), "");
}

TEST(Decoding, BrokenUtf16StaysInBounds) {
    // Odd length, lone high surrogate at the end, lone low surrogate in the middle.
    EXPECT_EQ(decodeText(std::string("\xFF\xFE" "a\0b", 5)), "a");
    EXPECT_EQ(decodeText(std::string("\xFF\xFE" "\x3D\xD8", 4)), "\xEF\xBF\xBD");
    EXPECT_EQ(decodeText(std::string("\xFF\xFE" "\x00\xDEx\0", 6)), "\xEF\xBF\xBDx");
    EXPECT_EQ(decodeText(std::string("\xFF\xFE" "\x3D\xD8x\0", 6)), "\xEF\xBF\xBDx");
}

TEST(Decoding, ReadTextFileFromDisk) {
    std::string folder = makeTempFolder("kestravel-text");
    ASSERT_FALSE(folder.empty());
    writeBytes(folder + "/plain.txt", "w\r\nw");
    writeBytes(folder + "/bom.txt", "\xEF\xBB\xBFw");
    writeBytes(folder + "/utf16.txt", std::string("\xFF\xFEw\0\r\0\n\0", 8));
    writeBytes(folder + "/bigendian.txt", std::string("\xFE\xFF\0w", 4));
    EXPECT_EQ(readTextFile(folder + "/plain.txt"), "w\r\nw");
    EXPECT_EQ(readTextFile(folder + "/bom.txt"), "w");
    EXPECT_EQ(readTextFile(folder + "/utf16.txt"), "w\r\n");
    EXPECT_EQ(readTextFile(folder + "/bigendian.txt"), "");
    EXPECT_EQ(readTextFile(folder + "/missing.txt"), "");
    EXPECT_EQ(readTextFile(folder), "");
    removeTree(folder);
}

TEST(Decoding, ReadingStopsAtTheBound) {
    std::string folder = makeTempFolder("kestravel-bound");
    writeBytes(folder + "/w.txt", "\xEF\xBB\xBFzone");
    std::string text = "stale";
    EXPECT_TRUE(readTextFile(folder + "/w.txt", 7, text));
    EXPECT_EQ(text, "zone");
    EXPECT_FALSE(readTextFile(folder + "/w.txt", 6, text));
    EXPECT_EQ(text, "");
    removeTree(folder);
}

TEST(Decoding, WorldFileMustBeARegularFileWithinTheBound) {
    std::string folder = makeTempFolder("kestravel-sound");
    std::string problem;
    writeBytes(folder + "/w.txt", "");
    std::filesystem::resize_file(folder + "/w.txt", WORLD_MAX_BYTES);  // sparse: nothing is written
    EXPECT_TRUE(isWorldFileSound(folder + "/w.txt", problem)) << problem;
    std::filesystem::resize_file(folder + "/w.txt", WORLD_MAX_BYTES + 1);
    EXPECT_FALSE(isWorldFileSound(folder + "/w.txt", problem));
    EXPECT_EQ(problem, "larger than 64 MiB, the most a world file may hold");
    ASSERT_EQ(mkfifo((folder + "/fifo").c_str(), 0600), 0);
    for (const std::string& path : {folder + "/fifo", folder, std::string("/dev/zero")}) {
        EXPECT_FALSE(isWorldFileSound(path, problem)) << path;
        EXPECT_EQ(problem, "not a regular file");
    }
    EXPECT_FALSE(isWorldFileSound(folder + "/missing.txt", problem));
    EXPECT_FALSE(isWorldFileSound("", problem));
    removeTree(folder);
}

TEST(Splitting, LineBreaksMixFreely) {
    EXPECT_EQ(split("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    // CR LF is one break, LF CR two.
    EXPECT_EQ(split("a\n\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(split("a\r\rb"), (Lines{"a", "", "b"}));
}

TEST(Splitting, EmptyLinesAndEnds) {
    EXPECT_EQ(split(""), Lines{});
    EXPECT_EQ(split("a\n"), Lines{"a"});
    EXPECT_EQ(split("a\n\n"), (Lines{"a", ""}));
    EXPECT_EQ(split("\na"), (Lines{"", "a"}));
    EXPECT_EQ(split("a\n\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(split("a\n\nb\n", "", true), (Lines{"a", "b"}));
    EXPECT_EQ(split(" \n"), Lines{" "});
}

TEST(Splitting, NamedSeparator) {
    EXPECT_EQ(split("4,0,up", ","), (Lines{"4", "0", "up"}));
    EXPECT_EQ(split(",3,", ","), (Lines{"", "3"}));
    EXPECT_EQ(split("a::b::", "::"), (Lines{"a", "b"}));
    EXPECT_EQ(split("a,,b", ",", true), (Lines{"a", "b"}));
    // A named separator leaves line breaks alone.
    EXPECT_EQ(split("a\r\nb", ","), Lines{"a\r\nb"});
}

TEST(Numbers, Lenient) {
    EXPECT_EQ(readNumber("42"), 42);
    EXPECT_EQ(readNumber(" \t-7"), -7);
    EXPECT_EQ(readNumber("+12abc"), 12);
    EXPECT_EQ(readNumber("007"), 7);
    EXPECT_EQ(readNumber("$ff"), 255);
    EXPECT_EQ(readNumber("-$10"), -16);
    EXPECT_EQ(readNumber("%1011"), 11);
    EXPECT_EQ(readNumber("%1021"), 2);
    EXPECT_EQ(readNumber("12 34"), 12);
}

TEST(Numbers, NoDigitsIsZero) {
    EXPECT_EQ(readNumber(""), 0);
    EXPECT_EQ(readNumber("   "), 0);
    EXPECT_EQ(readNumber("-"), 0);
    EXPECT_EQ(readNumber("x5"), 0);
    EXPECT_EQ(readNumber("$"), 0);
    EXPECT_EQ(readNumber("$g"), 0);
    EXPECT_EQ(readNumber("ff"), 0);
    EXPECT_EQ(readNumber("\n5"), 0);
}

TEST(Numbers, HugeDigitStringsWrap) {
    EXPECT_EQ(readNumber("2147483647"), 2147483647);
    EXPECT_EQ(readNumber("-2147483648"), INT32_MIN);
    EXPECT_EQ(readNumber("4294967296"), 0);
    EXPECT_EQ(readNumber("4294967297"), 1);
    // Must not trip the sanitizers whatever it reads as.
    readNumber(std::string(5000, '9'));
    readNumber("-" + std::string(5000, '9'));
}

TEST(Numbers, OverflowIsToldButTheValueStillWraps) {
    bool over = false;
    EXPECT_EQ(readNumber("4294967297", &over), 1);
    EXPECT_TRUE(over);
    EXPECT_EQ(readNumber(" +2147483647x", &over), INT32_MAX);
    EXPECT_FALSE(over);
    EXPECT_EQ(readNumber("-2147483648", &over), INT32_MIN);
    EXPECT_FALSE(over);
    EXPECT_EQ(readNumber("00000000000000000042", &over), 42);
    EXPECT_FALSE(over);
    for (const std::string& text : {std::string("2147483648"), std::string("-2147483649"), std::string("$100000000"),
                                    std::string("%1") + std::string(40, '0'), std::string(5000, '9')}) {
        readNumber(text, &over);
        EXPECT_TRUE(over) << text;
    }
}

TEST(WorldLines, LoadedFromFileWithMixedBreaks) {
    std::string folder = makeTempFolder("kestravel-lines");
    writeBytes(folder + "/w.txt", "\xEF\xBB\xBFzone:0,0\r\nw\rw\n\nstart:\r\n");
    resetWorldState();
    EXPECT_EQ(loadWorldLinesFrom(folder + "/w.txt"), 5);
    Lines read;
    for (std::string_view line : world.lines) read.emplace_back(line);
    EXPECT_EQ(read, (Lines{"zone:0,0", "w", "w", "", "start:"}));
    EXPECT_EQ(loadWorldLinesFrom(folder + "/missing.txt"), 0);
    EXPECT_TRUE(world.lines.empty());
    removeTree(folder);
}

TEST(WorldLines, EveryEncodingBuildsTheSameZone) {
    // "~" stands for an e-acute: two bytes in UTF-8, one unit in UTF-16, one character in each.
    std::string text = "start:\r\n1\n0\r0\n0\r\n2\n3\n\nzone:1,0\r\n\n\n\n\n\n\n\n  ^\n\n\n\n~$ww@\r\n\r\n";
    std::string utf8, utf16("\xFF\xFE", 2);
    for (char c : text) {
        utf8 += c == '~' ? std::string("\xC3\xA9") : std::string(1, c);
        utf16 += c == '~' ? std::string("\xE9\0", 2) : std::string{c, '\0'};
    }
    std::string folder = makeTempFolder("kestravel-enc");
    for (const std::string& bytes : {utf8, "\xEF\xBB\xBF" + utf8, utf16}) {
        writeBytes(folder + "/w.txt", bytes);
        useWorld({});
        loadWorldLinesFrom(folder + "/w.txt");
        player.width = player.height = 32.0f;
        resetToStart();
        EXPECT_EQ(progress.currentZoneX, 1);
        EXPECT_FLOAT_EQ(player.x, 84.0f);
        EXPECT_FLOAT_EQ(player.y, 124.0f);
        EXPECT_EQ(flagAt(0, 0), TILE_EMPTY);
        EXPECT_EQ(flagAt(1, 0), TILE_STAR);
        EXPECT_EQ(flagAt(2, 0), TILE_WALL);
        EXPECT_EQ(flagAt(4, 0), TILE_CHECKPOINT);
        EXPECT_EQ(flagAt(2, 4), TILE_SPIKE);
        EXPECT_EQ(dirAt(2, 4), DIR_NONE);
    }
    removeTree(folder);
}

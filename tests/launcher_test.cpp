#include <gtest/gtest.h>

#include <filesystem>

#include "launcher/launch.h"
#include "tests/support/launch_support.h"

using namespace launchtest;
namespace fs = std::filesystem;

namespace {
const std::string LAUNCHER = std::string(KESTRAVEL_BIN_DIR) + "/kestravel";

// The unpacked game: Kestravel_Data/Kestravel_Main as a stand-in that records its start.
class LauncherFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeFolders(data()));
        ASSERT_TRUE(writeStandInGame(data() + "/Kestravel_Main"));
    }
    std::string data() const { return root / "Kestravel_Data"; }
    std::string record() const { return data() + "/record"; }
    std::string canonical(const std::string& path) const { return fs::canonical(path).string(); }
    ScratchFolder root;
};
}  // namespace

TEST(ForwardedArguments, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(forwardedArguments({}), "");
    EXPECT_EQ(forwardedArguments({"a", "b c", ""}), "a \"b c\" \"\"");
    EXPECT_EQ(forwardedArguments({""}), "\"\"");
    EXPECT_EQ(forwardedArguments({"-x", "--level=3"}), "-x --level=3");
    EXPECT_EQ(forwardedArguments({" lead", "tab\there"}), "\" lead\" \"tab\there\"");
    EXPECT_EQ(forwardedArguments({"C:\\plain\\path"}), "C:\\plain\\path") << "backslashes alone are literal";
    EXPECT_EQ(forwardedArguments({"C:\\my dir\\"}), "\"C:\\my dir\\\\\"");
    EXPECT_EQ(forwardedArguments({"say \"hi\""}), "\"say \\\"hi\\\"\"");
}

namespace {
// How Windows' C runtime and CommandLineToArgvW split the parameters after the program name.
std::vector<std::string> windowsSplit(const std::string& line) {
    std::vector<std::string> arguments;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i == line.size()) break;
        std::string argument;
        bool quoted = false;
        for (; i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t')); ++i) {
            size_t backslashes = 0;
            while (i < line.size() && line[i] == '\\') ++backslashes, ++i;
            if (i < line.size() && line[i] == '"') {
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2) argument += '"';
                else quoted = !quoted;
            } else {
                argument.append(backslashes, '\\');
                if (i == line.size()) break;
                if (!quoted && (line[i] == ' ' || line[i] == '\t')) break;
                argument += line[i];
            }
        }
        arguments.push_back(argument);
    }
    return arguments;
}
}  // namespace

TEST(ForwardedArguments, EveryArgumentSplitsBackAsItWasGiven) {
    const std::vector<std::string> arguments = {
        "a", "b c", "", "say \"hi\"", "\"", "tab\there", "line\nbreak", "C:\\dir\\", "C:\\my dir\\",
        "back\\\"quote", "\\\\server\\share", "two\\\\", "\\\"", "  ", "x\"y z\"", "ünï cödé"};
    EXPECT_EQ(windowsSplit(forwardedArguments(arguments)), arguments) << forwardedArguments(arguments);
    for (const std::string& argument : arguments)
        EXPECT_EQ(windowsSplit(forwardedArguments({argument})), std::vector<std::string>{argument}) << argument;
}

TEST(ForwardedArguments, CommandLineQuotesTheProgramOnceAndAddsOnlyRealParameters) {
    EXPECT_EQ(commandLine("Kestravel_Data\\Kestravel_Main.exe", {}), "\"Kestravel_Data\\Kestravel_Main.exe\"")
        << "no trailing space without parameters";
    EXPECT_EQ(commandLine("C:\\Program Files\\K\\Kestravel_Main.exe", {"a", "b c", ""}),
              "\"C:\\Program Files\\K\\Kestravel_Main.exe\" a \"b c\" \"\"");
    EXPECT_EQ(commandLine("\"C:\\K\\game.exe\" -x", {"y"}), "\"C:\\K\\game.exe\" -x y") << "already quoted";
    EXPECT_EQ(commandLine("", {}), "\"\"");
}

TEST_F(LauncherFolder, ArgumentsReachTheGameUnchangedInItsOwnFolder) {
    WorkingFolder inside(root.path());
    const std::vector<std::string> arguments{"a", "b c", "", "  ", "quote\"d", "back\\slash", "$HOME", "*"};
    ASSERT_EQ(launchProgram(LAUNCH_TARGET, true, arguments), LAUNCH_STARTED);
    const std::vector<std::string> seen = waitForRecord(record());
    ASSERT_FALSE(seen.empty()) << "the stand-in never ran";
    EXPECT_EQ(canonical(seen[0]), canonical(data()));
    EXPECT_EQ(std::vector<std::string>(seen.begin() + 1, seen.end()), arguments);
}

TEST_F(LauncherFolder, WithoutArgumentsTheGameGetsNone) {
    WorkingFolder inside(root.path());
    ASSERT_EQ(launchProgram(LAUNCH_TARGET, true, {}), LAUNCH_STARTED);
    const std::vector<std::string> seen = waitForRecord(record());
    ASSERT_EQ(seen.size(), 1u);
}

TEST_F(LauncherFolder, FindsTheGameFromInsideItsFolder) {
    WorkingFolder inside(data());
    ASSERT_EQ(launchProgram(LAUNCH_TARGET, true, {"x y"}), LAUNCH_STARTED);
    const std::vector<std::string> seen = waitForRecord(record());
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(canonical(seen[0]), canonical(data()));
    EXPECT_EQ(seen[1], "x y");
}

TEST_F(LauncherFolder, ReportsWhatCannotBeFoundOrStarted) {
    {
        WorkingFolder elsewhere(root / "..");
        EXPECT_EQ(launchProgram(LAUNCH_TARGET, true, {}), LAUNCH_NOT_FOUND);
    }
    WorkingFolder inside(root.path());
    EXPECT_EQ(launchProgram("Kestravel_Data/Nothing", true, {}), LAUNCH_NOT_FOUND);
    EXPECT_EQ(launchProgram("", true, {}), LAUNCH_NOT_FOUND);
    EXPECT_EQ(launchProgram("Kestravel_Data/", true, {}), LAUNCH_FAILED) << "a folder counts as found";

    ASSERT_TRUE(makeExecutable(data() + "/Kestravel_Main", false));
    EXPECT_EQ(launchProgram(LAUNCH_TARGET, true, {}), LAUNCH_FAILED);
    fs::remove(data() + "/Kestravel_Main");
    ASSERT_TRUE(makeFolders(data() + "/Kestravel_Main"));
    EXPECT_EQ(launchProgram(LAUNCH_TARGET, true, {}), LAUNCH_FAILED);
    EXPECT_FALSE(fs::exists(record()));
}

TEST_F(LauncherFolder, ProgramStartsTheGameAndEndsAtOnce) {
    const ProgramRun run = runWithoutDisplay(LAUNCHER, {"one", "two words", ""}, root.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.errorText, "");
    const std::vector<std::string> seen = waitForRecord(record());
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(seen.begin() + 1, seen.end()),
              (std::vector<std::string>{"one", "two words", ""}));
}

TEST_F(LauncherFolder, ProgramReportsAMissingGame) {
    ASSERT_TRUE(makeFolders(root / "empty"));
    const ProgramRun run = runWithoutDisplay(LAUNCHER, {}, root / "empty");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errorText.find("Error"), std::string::npos) << run.errorText;
    EXPECT_NE(run.errorText.find("File not found:\nKestravel_Data/Kestravel_Main"), std::string::npos)
        << run.errorText;
}

TEST_F(LauncherFolder, ProgramReportsAGameThatCannotStart) {
    ASSERT_TRUE(makeExecutable(data() + "/Kestravel_Main", false));
    ProgramRun run = runWithoutDisplay(LAUNCHER, {}, root.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errorText.find("Could not start:\nKestravel_Data/Kestravel_Main"), std::string::npos)
        << run.errorText;

    fs::remove(data() + "/Kestravel_Main");
    ASSERT_TRUE(makeFolders(data() + "/Kestravel_Main"));
    run = runWithoutDisplay(LAUNCHER, {}, data());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errorText.find("Could not start:\nKestravel_Main"), std::string::npos) << run.errorText;
}

TEST_F(LauncherFolder, BoxTextNamesFileOrFolder) {
    // No display: the box falls back to standard error, where the text can be read.
    EnvironmentOverride noX("DISPLAY", nullptr);
    EnvironmentOverride noWayland("WAYLAND_DISPLAY", nullptr);
    WorkingFolder inside(root.path());
    testing::internal::CaptureStderr();
    EXPECT_EQ(launchProgram("Kestravel_Data/Missing/", false, {}), LAUNCH_NOT_FOUND);
    EXPECT_EQ(launchProgram("Kestravel_Data/Missing", false, {}), LAUNCH_NOT_FOUND);
    ASSERT_TRUE(makeExecutable(data() + "/Kestravel_Main", false));
    EXPECT_EQ(launchProgram(LAUNCH_TARGET, false, {}), LAUNCH_FAILED);
    const std::string text = testing::internal::GetCapturedStderr();
    EXPECT_NE(text.find("Folder not found:\nKestravel_Data/Missing/\n"), std::string::npos) << text;
    EXPECT_NE(text.find("File not found:\nKestravel_Data/Missing\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Could not start:\nKestravel_Data/Kestravel_Main\n"), std::string::npos) << text;
}

TEST_F(LauncherFolder, AnAbsoluteTargetRunsInItsFolder) {
    ASSERT_TRUE(makeFolders(root / "other"));
    WorkingFolder elsewhere(root / "other");
    ASSERT_EQ(launchProgram(data() + "/Kestravel_Main", true, {"z"}), LAUNCH_STARTED);
    const std::vector<std::string> seen = waitForRecord(record());
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(canonical(seen[0]), canonical(data()));
}

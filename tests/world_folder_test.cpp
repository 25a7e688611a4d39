#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "shell/platform.h"
#include "tests/support/world_support.h"
#include "world/world.h"

namespace fs = std::filesystem;

namespace {

// Working directory two levels down in a temp tree; probes are planted per test.
class DataFolder : public ::testing::Test {
protected:
    void SetUp() override {
        remembered = currentDirectory();
        root = makeTempFolder("kestravel-folder");
        ASSERT_FALSE(root.empty());
        inner = root + "/outer/inner";
        fs::create_directories(inner);
        ASSERT_TRUE(changeDirectory(inner));
        probe = "kestravel-probe-" + std::to_string(getpid());
        relative = probe + "/game/world1.txt";
    }
    void TearDown() override {
        changeDirectory(remembered);
        for (const std::string& planted : plantedIn) removeTree(planted + "/" + probe);
        removeTree(root);
    }
    void plant(const std::string& folder) {
        ASSERT_TRUE(writeBytes(folder + "/" + relative, "start:\n"));
        plantedIn.push_back(folder);
    }
    static bool same(const std::string& a, const std::string& b) {
        std::error_code error;
        return fs::equivalent(a, b, error);
    }
    std::string remembered, root, inner, probe, relative;
    std::vector<std::string> plantedIn;
};

}  // namespace

TEST_F(DataFolder, FoundInTheWorkingDirectory) {
    plant(inner);
    EXPECT_TRUE(findDataFolder(relative));
    EXPECT_TRUE(same(currentDirectory(), inner));
}

TEST_F(DataFolder, FoundInTheParentOfTheWorkingDirectory) {
    plant(root + "/outer");
    plant(root);  // further up: never looked at
    EXPECT_TRUE(findDataFolder(relative));
    EXPECT_TRUE(same(currentDirectory(), root + "/outer"));
}

TEST_F(DataFolder, FoundInTheExecutableFolder) {
    std::string exe = executableFolder();
    ASSERT_FALSE(exe.empty());
    plant(exe);
    EXPECT_TRUE(findDataFolder(relative));
    EXPECT_TRUE(same(currentDirectory(), exe));
}

TEST_F(DataFolder, FoundInTheParentOfTheExecutableFolder) {
    std::string exe = executableFolder();
    ASSERT_FALSE(exe.empty());
    std::string parent = fs::path(exe).parent_path().string();
    plant(parent);
    EXPECT_TRUE(findDataFolder(relative));
    EXPECT_TRUE(same(currentDirectory(), parent));
}

TEST_F(DataFolder, AFolderCountsAsWellAsAFile) {
    plant(root + "/outer");
    EXPECT_TRUE(findDataFolder(probe + "/game"));
    EXPECT_TRUE(same(currentDirectory(), root + "/outer"));
}

TEST_F(DataFolder, BackslashesAreSeparators) {
    plant(inner);
    EXPECT_TRUE(findDataFolder(probe + "\\game\\world1.txt"));
}

TEST_F(DataFolder, NowhereRestoresTheWorkingDirectory) {
    EXPECT_FALSE(findDataFolder(relative));
    EXPECT_TRUE(same(currentDirectory(), inner));
    EXPECT_FALSE(findDataFolder(""));
    EXPECT_TRUE(same(currentDirectory(), inner));
}

#pragma once
// The whole game in one process for the soak, leak and bad-input tests: headless SDL,
// a copy of the shipped data to break, start-up and shutdown in the game's own order.
#include <cstdint>
#include <initializer_list>
#include <string>

namespace quality {

// The shipped data/ folder copied under folder; false when the copy failed.
bool copyShippedData(const std::string& folder);
bool writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

// What a tile array may hold: the six flag values; directions -1..3.
bool tilesAreSound();

// The game's own start with offscreen video and dummy audio, on the data folder under `folder`. The working
// directory is `folder` until the session ends. ok() is false when SDL could not start.
class GameSession {
public:
    explicit GameSession(const std::string& folder);
    ~GameSession();
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;
    bool ok() const { return ok_; }
    // One pass of the real frame loop (runFrame) with exactly these keys held.
    bool frame(std::initializer_list<int> keys = {});
    // updateGame and drawFrame with these keys, without the frame cap.
    void quickFrame(std::initializer_list<int> keys = {});
    uint8_t keys[512] = {};

private:
    bool ok_ = false;
    std::string previousFolder_;
};

}  // namespace quality

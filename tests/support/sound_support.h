#pragma once
// Sound files made on the fly and a tap on the mixed output for the sound tests.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr int TEST_RATE = 44100;

// Mono 16-bit signals at TEST_RATE.
std::vector<int16_t> toneSamples(double frequency, double seconds, int amplitude);
std::vector<int16_t> levelSamples(int level, double seconds);  // constant value
std::vector<int16_t> joined(std::vector<int16_t> first, const std::vector<int16_t>& second);

bool writeWav(const std::string& path, const std::vector<int16_t>& samples);
bool writeOgg(const std::string& path, const std::vector<int16_t>& samples);
bool writeBytes(const std::string& path, const std::string& bytes);

// Tap on the mixer's final stream: exactly what the output device receives.
// install after initAudio; remove before closeAudio.
bool installAudioTap();
void removeAudioTap();
int tapChunkFrames();  // frames per mixed buffer

// Runs the steps in the audio thread between two mixed buffers, each at the first boundary at least
// `offset` frames after the first step's, so each takes effect at an exact frame whatever the test
// thread's scheduling. Recording starts with the first step. Returns the frame of each step, or an
// empty list when the output does not run.
struct TapStep {
    int64_t offset;
    std::function<void()> action;
};
std::vector<int64_t> atMixFrames(std::vector<TapStep> steps);
// One step: the frame it took effect at, or -1.
int64_t atMixBoundary(const std::function<void()>& action);
// Left channel of frames [from, from + count), waiting until they have been mixed.
// Empty when they were not recorded or the output stalled.
std::vector<int16_t> recordedFrames(int64_t from, int64_t count);
// Blocks until frame has been mixed; false if the output stalled.
bool waitForFrame(int64_t frame);
// Both channels of the recorded frames [from, from + count) are equal.
bool channelsEqual(int64_t from, int64_t count);

// Analysis of a block of samples, over [from, to).
int peakAbs(const std::vector<int16_t>& s, size_t from, size_t to);
double meanAbs(const std::vector<int16_t>& s, size_t from, size_t to);
// Index of the first sample at or after from whose magnitude reaches threshold, or -1.
int64_t firstAtLeast(const std::vector<int16_t>& s, int threshold, size_t from = 0);

// A fresh private folder under the system temp folder.
std::string makeTempFolder(const std::string& tag);
void removeFolder(const std::string& path);

#pragma once
// F12 screenshots into the pictures folder.
#include <string>

void takeScreenshot();
bool saveScreenshot(const std::string& path);
std::string uniqueFilePath(const std::string& folder, const std::string& name, const std::string& extension);
std::string withTrailingSeparator(const std::string& path);
std::string screenshotName();     // "Kestravel_" + local date and time, no extension
// The 4:3 area kept of an image of iw x ih; false when nothing is cut.
bool trimmedSize(int iw, int ih, int* w, int* h);

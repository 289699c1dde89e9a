// The names by which the program and its windows are known: other editor
// processes find each other by the frame's class and read the open file from
// its title, and the settings carry the version.
#pragma once

constexpr const char* kProductName = "MOXEL";
constexpr const char* kProductVersion = "0.13";
constexpr const char* kTitleFormat = "%s - %s";  // the product name, then the full path

constexpr const char* kMainClassName = "WCMain";
constexpr const char* kViewClassName = "WCView";
constexpr const char* kClientClassName = "WCClient";
constexpr const char* kLabelClassName = "WCLabel";

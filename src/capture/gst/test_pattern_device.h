// The in-process test-pattern camera ("Mire de test"): a device provider that the device monitor
// lists beside the real cameras, whose element is a live moving test picture. It exists only in
// programs that ask for it (the demo, the tool's --test-source, the tests).
#pragma once
#include <string>

namespace wellvue::gst {

inline constexpr const char* kTestPatternName = "Mire de test";

// Registers the provider (idempotent); false when GStreamer cannot start.
bool register_test_pattern_device();
bool test_pattern_device_registered();

// Simulates pulling the test camera out: the provider announces the removal to every running
// monitor and each live test-pattern source posts the read error a vanished camera gives.
void unplug_test_pattern_device();
// Puts it back (announced as added).
void replug_test_pattern_device();

// Simulates a hung driver: live test-pattern sources stop delivering frames without an error.
void freeze_test_pattern_sources(bool frozen);

}  // namespace wellvue::gst

#pragma once
// The two checks in front of every chip operation, and the notices they share with the flows.

#include "operations/Run.h"

namespace zendra::operations {

// The oldest firmware the program works with, and the version below which it advises an update.
inline constexpr double kMinimumVersion = 6.3;
inline constexpr float kRecommendedVersion = 6.35f;

// "1E:90:05": a signature as status panel 2 shows it, vendor first.
QString SignatureText(quint8 vendor, quint8 family, quint8 part);
// Opens the saved port, identifies the writer, refuses old firmware, selects the device on it.
bool CheckCommunication(Run& run);
// 'A', 'P', 50 ms, the signature with the device-match rules, 'L'; true when the chip may be worked on.
bool CheckDevice(Run& run);
// The signature read and its rules alone (the erase also serves chips that do not match).
void ReadSignatureAndJudge(Run& run);
// Turns the message window into the communication-error notice.
void ReportCommError(Run& run);
// The communication check, then the chip's signature without any device rule.
Report ProbeChip(Environment& env, const Target& target);
// The firmware advisory for a writer below the recommended version.
void ShowFirmwareAdvisory(Run& run, double version);

}  // namespace zendra::operations

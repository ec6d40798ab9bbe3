#pragma once

#include "status/JobInfoRecord.h"

#include <functional>
#include <string>

// The job report: five lines per job, labelled with localized texts.
namespace JobReport {

// Looks up a localized text by id (UTF-8).
using TextLookup = std::function<std::string(int textId)>;

// The application's texts (GetText); empty texts without an application.
std::string AppText(int textId);

// Text ids of the report.
inline constexpr int kJob = 60202;
inline constexpr int kName = 60203;
inline constexpr int kUser = 60204;
inline constexpr int kState = 60205;
inline constexpr int kResult = 60206;
inline constexpr int kUsedGroup = 60207;
inline constexpr int kUsed = 60208;
inline constexpr int kUsedUnit = 60209;
inline constexpr int kPrinted = 60210;
inline constexpr int kPages = 60211;
inline constexpr int kOf = 60212;
inline constexpr int kReceived = 60213;
inline constexpr int kPrintTime = 60214;
inline constexpr int kMinutes = 60215;
inline constexpr int kUnknown = 60236;

// The text id naming a job state (1..5, 255; others "unknown") and a second
// state (1..3; others "unknown").
int StateTextId(int state);
int ResultTextId(int result);

// The amount as shown: whole part, ".", three decimals ("1.234", "0.005").
std::string Thousandths(int value);
// The reception time as shown: "yy/mm/dd hh:mm".
std::string ReceivedText(const JobInfoRecord& record);

// The five lines of one job, CR LF between them and none after the last.
std::string Format(const JobInfoRecord& record, const TextLookup& text);

} // namespace JobReport

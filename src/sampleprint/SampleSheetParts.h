#pragma once

// The parts of the sheet printer the procedure and the plans use, declared
// as SampleLabels.h and SampleImage.h declare them. Until those land here,
// SampleSheetPartsFallback.cpp gives weak stand-ins; the real definitions
// replace them at link time.
#include <functional>
#include <string>
#include <vector>

struct CustomPaperSlot;
struct CustomFileRecord;

using TextLookup = std::function<std::string(int textId)>;
using MediaNameLookup = std::function<std::string(int mediaId)>;

int PaperdrawPercent(int level);
std::string NumberLabel(const std::string& name, int value, bool last = false);
std::string TextLabel(const std::string& name, const std::string& value, bool last = false);
std::vector<std::string> BuildRegistrationLabels(const CustomPaperSlot& record,
                                                 const TextLookup& text,
                                                 const MediaNameLookup& mediaName);
std::vector<std::string> BuildCustomFileLabels(const CustomFileRecord& record,
                                               const TextLookup& text,
                                               const MediaNameLookup& mediaName);
int CheckSampleImage(const std::string& path);
std::string StandardSampleImagePath();

#pragma once

// A small media table and a scripted media driver for the decisions of the
// registration and custom file pages.
#include "TestFiles.h"
#include "custompaper/CMediaTable.h"
#include "maintenance/MediaDriver.h"

#include <map>
#include <string>
#include <vector>

// 101 Plain: file ids 1/1, codes 1 (variant 0) and 65 (variant 1), 0.3 mm,
//     all four modes.
// 201 Film: not for custom paper.
// 301 Canvas: file ids 3/1, code 14, 0.5 mm, modes 2 and 3 only; its
//     variant-1 row is excluded while the driver kind is 2.
// 401 Board: file ids 4/2, code 20, 1.2 mm, modes 1 and 3.
inline const char* kPaperEditMedia =
    "MEDIA_NUM=6\n"
    "MEDIA01=101,1,1,1,0,0,0,10,3,2,360,720,4,720,720,8,1440,720,16,1440,1440\n"
    "MEDIA02=101,1,1,65,1,0,0,10,3,2,360,720,4,720,720,8,1440,720,16,1440,1440\n"
    "MEDIA03=201,-1,0,8,0,0,0,200,1,2,360,720,4,720,720,8,1440,720,-1,-1,-1\n"
    "MEDIA04=301,3,1,14,0,0,0,300,5,-1,-1,-1,4,720,720,8,1440,720,-1,-1,-1\n"
    "MEDIA05=301,3,1,78,1,1,0,300,5,-1,-1,-1,4,720,720,8,1440,720,-1,-1,-1\n"
    "MEDIA06=401,4,2,20,0,0,0,400,12,3,360,360,-1,-1,-1,9,720,1440,-1,-1,-1\n";

inline constexpr const char* kInkA = "0B000301040205030100060407050A08";
inline constexpr const char* kInkB = "0B000301040205030B00030104020503";

// The driver as the pages ask it: its kind, media list, the default
// thickness it answers for a media, and its ink arrangement. It logs the
// media written into it.
class ScriptedMediaDriver final : public MediaDriver {
public:
    int kind = 1;
    MediaTypeList::DriverMedia media{
        {101, "Plain"}, {201, "Film"}, {301, "Canvas"}, {401, "Board"}, {999, "Unknown"}};
    std::map<std::uint32_t, int> thickness{{101, 3}, {301, 5}, {401, 12}};
    std::string ink = kInkA;
    std::vector<std::uint32_t> applied;

    int DriverKind() override { return kind; }
    MediaTypeList::DriverMedia Media() override { return media; }
    int ApplyMedia(std::uint32_t id) override {
        applied.push_back(id);
        const auto it = thickness.find(id);
        return it == thickness.end() ? -1 : it->second;
    }
    std::string InkPatternText() override { return ink; }
};

struct PaperEditMedia {
    TempDir dir;
    CMediaTable table{dir.write("Media.ini", kPaperEditMedia)};
};

#include "JobParser.h"

#include <gtest/gtest.h>

#include <random>

#include "JobBytes.h"

using vprinter::JobItem;
using vprinter::ParseJob;

namespace {

struct CommandCase {
    const char* label;
    Bytes packet;
    const char* name;
    Bytes params;
};

std::vector<CommandCase> CommandCases() {
    const int values[8] = {10, 11, 12, 13, 14, 15, 16, 17};
    return {
        {"SV", Packet(BuildCmdSV), "SV", {}},
        {"LD", Packet(BuildCmdLD), "LD", {}},
        {"SS", Packet([](auto o, auto r) { return BuildCmdSS(o, r); }), "SS", {0x00, 0x03}},
        {"VI", Packet(BuildCmdVI), "VI", {0x00, 0x01}},
        {"NC sensor", Packet([](auto o, auto r) { return BuildCmdNC(o, r, 1); }), "NC", {0x00, 0x01}},
        {"NC print", Packet([](auto o, auto r) { return BuildCmdNC(o, r, 0); }), "NC", {0x00, 0x00}},
        {"PH", Packet([](auto o, auto r) { return BuildCmdPH(o, r, 16); }), "PH", {0x00, 16}},
        {"SN", Packet([](auto o, auto r) { return BuildCmdSN(o, r, 3); }), "SN", {0x00, 0x01, 0x03}},
        {"EX call", Packet([](auto o, auto r) { return BuildCmdEXWrite(o, r, 10); }), "EX",
         {0x00, 0x00, 0x00, 0x00, 0x1C, 10, 0x00}},
        {"DT", Packet([](auto o, auto r) { return BuildCmdDT(o, r, 0, 2, 0); }), "DT", {0x00, 0x10, 0x12}},
        {"DT clear", Packet([](auto o, auto r) { return BuildCmdDTClear(o, r, 1); }), "DT", {0x00, 0x00, 0x00}},
        {"DA (first of eight)", Packet([&](auto o, auto r) { return BuildCmdDA(o, r, 1, 2, values, 8); }), "DA",
         {0x00, 0x00, 0x20, 10}},
        {"CH", Packet([](auto o, auto r) { return BuildCmdCH(o, r, 0x10); }), "CH", {0x00, 0x10}},
    };
}

TEST(JobParser, FindsEveryCommandTheUtilitySends) {
    for (const CommandCase& c : CommandCases()) {
        SCOPED_TRACE(c.label);
        const Bytes job = RemoteJob({c.packet});
        const auto parsed = ParseJob(job.data(), job.size());
        std::vector<const JobItem*> commands;
        for (const JobItem& item : parsed.items)
            if (item.kind == JobItem::Kind::Command) commands.push_back(&item);
        ASSERT_FALSE(commands.empty());
        EXPECT_EQ(commands[0]->name, c.name);
        EXPECT_EQ(commands[0]->params, c.params);
        EXPECT_EQ(parsed.items.front().kind, JobItem::Kind::Reset);
        EXPECT_EQ(parsed.skippedBytes, 0u);
    }
}

TEST(JobParser, ReadsTheWholeDARunAndTheSlotWrite) {
    const int values[7] = {5, 5, 5, 5, 5, 5, 5};
    std::uint8_t settings[98];
    for (int i = 0; i < 98; ++i) settings[i] = static_cast<std::uint8_t>(i);
    const Bytes job = RemoteJob({Packet([&](auto o, auto r) { return BuildCmdDA(o, r, 0, 3, values, 7); }),
                                 SlotWritePacket(settings), Packet(BuildCmdSV)},
                                false);
    const auto parsed = ParseJob(job.data(), job.size());
    std::vector<std::string> names;
    for (const JobItem& item : parsed.items)
        if (item.kind == JobItem::Kind::Command) names.push_back(item.name);
    EXPECT_EQ(names, (std::vector<std::string>{"DA", "DA", "DA", "DA", "DA", "DA", "DA", "EX", "SV"}));
    const JobItem& ex = parsed.items[1 + 1 + 7];
    ASSERT_EQ(ex.params.size(), 103u);
    EXPECT_EQ(ex.params[5], 0);
    EXPECT_EQ(ex.params[102], 97);
}

TEST(JobParser, CommandsOutsideRemoteModeAreNotCommands) {
    const Bytes job = Cat({Packet(BuildCmdSV), Packet([](auto o, auto r) { return BuildCmdCH(o, r, 0x10); })});
    const auto parsed = ParseJob(job.data(), job.size());
    EXPECT_TRUE(parsed.items.empty());
    EXPECT_EQ(parsed.skippedBytes, job.size());
}

TEST(JobParser, ResynchronisesAfterGarbageAndIgnoresACommandCutShort) {
    // Junk, a command whose length runs past the end of the job.
    const Bytes job = Cat({Packet(BuildEnterRemote), Bytes{0xFF, 0x00, 0x7F, 'x'}, Packet(BuildCmdLD),
                           Bytes{'C', 'H', 0x40, 0x00, 0x00}});
    const auto parsed = ParseJob(job.data(), job.size());
    ASSERT_EQ(parsed.items.size(), 3u); // reset, enter remote, LD
    EXPECT_EQ(parsed.items[2].name, "LD");
    EXPECT_EQ(parsed.skippedBytes, 4u + 5u);
}

TEST(JobParser, EscBarFirmwareAndPageData) {
    const Bytes image = UpgImage("I02020", 100);
    const std::string pdf = "%PDF-1.4\n1 0 obj <<>> endobj\n%%EOF\n";
    const Bytes job = Cat({Packet([](auto o, auto r) { return BuildEscBarPacket(o, r, 1); }),
                           Packet([](auto o, auto r) { return BuildEscBarPacket(o, r); }), FirmwareJob(image),
                           Text(pdf), Bytes{0x1B, 0x40}});
    const auto parsed = ParseJob(job.data(), job.size());
    ASSERT_EQ(parsed.items.size(), 5u);
    EXPECT_EQ(parsed.items[0].kind, JobItem::Kind::EscBar);
    EXPECT_EQ(parsed.items[0].params, Bytes{1});
    EXPECT_EQ(parsed.items[1].params, Bytes{2});
    EXPECT_EQ(parsed.items[2].kind, JobItem::Kind::Firmware);
    EXPECT_TRUE(parsed.items[2].complete);
    EXPECT_EQ(parsed.items[2].length, image.size());
    EXPECT_EQ(Bytes(job.begin() + static_cast<long>(parsed.items[2].offset),
                    job.begin() + static_cast<long>(parsed.items[2].offset + parsed.items[2].length)),
              image);
    EXPECT_EQ(parsed.items[3].kind, JobItem::Kind::Pdf);
    EXPECT_EQ(parsed.items[3].length, pdf.size());
    EXPECT_EQ(parsed.items[4].kind, JobItem::Kind::Reset);
    EXPECT_EQ(parsed.skippedBytes, 16384u); // the fill block
}

TEST(JobParser, FirmwareImageCutShortIsMarkedIncomplete) {
    Bytes job = FirmwareJob(UpgImage("I02020", 100), false);
    job.resize(job.size() - 1);
    const auto parsed = ParseJob(job.data(), job.size());
    ASSERT_EQ(parsed.items.size(), 1u);
    EXPECT_FALSE(parsed.items[0].complete);
}

TEST(JobParser, RandomBytesNeverEscapeTheBuffer) {
    std::mt19937 random(42);
    for (int round = 0; round < 200; ++round) {
        Bytes job(random() % 300);
        for (auto& b : job) b = static_cast<std::uint8_t>(random() % 8 == 0 ? 0x1B : random());
        const auto parsed = ParseJob(job.data(), job.size());
        for (const JobItem& item : parsed.items) EXPECT_LE(item.offset + item.length, job.size());
    }
}

TEST(TakeCommand, SplitsAStreamDropsJunkAndWaitsForTheRest) {
    Bytes stream = Cat({Bytes{0x00, 0x99, 'v'}, Packet(BuildQueryVI), Bytes{'E', 'X', 0x07, 0x00, 0x01}});
    std::string name;
    Bytes params;
    ASSERT_TRUE(vprinter::TakeCommand(stream, name, params));
    EXPECT_EQ(name, "VI");
    EXPECT_EQ(params, (Bytes{0x01, 0x00}));
    EXPECT_FALSE(vprinter::TakeCommand(stream, name, params)); // EX incomplete
    const Bytes rest = {0x00, 0x00, 0x00, 0x1B, 0x81, 0x00};
    stream.insert(stream.end(), rest.begin(), rest.end());
    ASSERT_TRUE(vprinter::TakeCommand(stream, name, params));
    EXPECT_EQ(name, "EX");
    EXPECT_EQ(params.size(), 7u);
    EXPECT_TRUE(stream.empty());
}

} // namespace

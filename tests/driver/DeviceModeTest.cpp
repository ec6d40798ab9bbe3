#include <gtest/gtest.h>

#include <cstring>

#include "platform/DeviceMode.h"

namespace {

DeviceMode Sample() {
    DeviceMode mode;
    mode.deviceName = "QZ7100";
    mode.options = {{"MediaType", "ClearFilm"}, {"PageSize", "Custom.609.6x160.0mm"}, {"Empty", ""}};
    mode.driverValues = {{"PrintFlags", "9"}};
    return mode;
}

TEST(DeviceModeBlock, RoundTripsAndStatesItsSize) {
    const auto block = DeviceModeBlock::Encode(Sample());
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(DeviceModeBlock::StatedSize(block.data()), block.size());
    const auto back = DeviceModeBlock::Decode(block.data(), block.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->deviceName, "QZ7100");
    EXPECT_EQ(back->options, Sample().options);
    EXPECT_EQ(back->driverValues, Sample().driverValues);
    EXPECT_EQ(back->Option("PageSize"), "Custom.609.6x160.0mm");
    EXPECT_EQ(back->DriverValue("PrintFlags"), "9");
    EXPECT_FALSE(back->Option("PrintFlags"));
    // More bytes available than the block states: only the block is read.
    auto padded = block;
    padded.resize(block.size() + 10, 0xAA);
    EXPECT_TRUE(DeviceModeBlock::Decode(padded.data(), padded.size()));
}

TEST(DeviceModeBlock, RefusesBrokenBlocks) {
    const auto good = DeviceModeBlock::Encode(Sample());
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::size_t available;
    };
    auto withSize = [&](std::uint32_t size) {
        auto b = good;
        std::memcpy(b.data() + 4, &size, 4);
        return b;
    };
    auto wrongMark = good;
    wrongMark[0] = 'X';
    auto moreOptions = good;
    moreOptions[8] = static_cast<std::uint8_t>(moreOptions[8] + 1);  // an entry beyond the end
    auto fewerValues = good;
    fewerValues[10] = 0;  // bytes left over
    const Case cases[] = {
        {"wrong mark", wrongMark, good.size()},
        {"fewer bytes than stated", good, good.size() - 1},
        {"shorter than a header", good, 5},
        {"size below the header", withSize(4), good.size()},
        {"size above the limit", withSize(DeviceModeBlock::kMaxSize + 1), good.size()},
        {"entry past the end", moreOptions, good.size()},
        {"bytes left over", fewerValues, good.size()},
    };
    for (const Case& c : cases) EXPECT_FALSE(DeviceModeBlock::Decode(c.bytes.data(), c.available)) << c.what;
    EXPECT_EQ(DeviceModeBlock::StatedSize(wrongMark.data()), 0u);
    EXPECT_FALSE(DeviceModeBlock::Decode(nullptr, 100));
}

TEST(DeviceModeBlock, SetReplacesOrAppends) {
    DeviceMode mode = Sample();
    mode.SetOption("MediaType", "CanvasSatin");
    mode.SetOption("OVPrintQuality", "Mode3");
    EXPECT_EQ(mode.options.front(), (std::pair<std::string, std::string>{"MediaType", "CanvasSatin"}));
    EXPECT_EQ(mode.options.back(), (std::pair<std::string, std::string>{"OVPrintQuality", "Mode3"}));
    EXPECT_EQ(mode.options.size(), 4u);
}

}  // namespace

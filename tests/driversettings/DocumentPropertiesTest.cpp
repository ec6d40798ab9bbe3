#include "DriverSettingsFixture.h"

#include <algorithm>

#include "app/CPlotcareApp.h"
#include "platform/DeviceMode.h"
#include "platform/DocumentProperties.h"
#include "sampleprint/CDriverSettingsAccess.h"

namespace {

std::optional<DeviceMode> Decode(const QByteArray& block) {
    return DeviceModeBlock::Decode(block.constData(), static_cast<std::size_t>(block.size()));
}

const DocumentProperties::Option* Find(const std::vector<DocumentProperties::Option>& options, const char* keyword) {
    const auto it = std::find_if(options.begin(), options.end(), [&](const auto& o) { return o.keyword == keyword; });
    return it == options.end() ? nullptr : &*it;
}

TEST_F(DriverSettingsTest, ApplicationRefreshesItsCopyOfTheSelectedQueue) {
    const std::string q = AddQueue(kCorvan);
    CPlotcareApp app;
    app.SetSelectedPrinter(QString::fromStdString(q), "ORVEX Corvan Max 7100", "socket://127.0.0.1:9");
    app.RefreshDriverSettings();
    ASSERT_TRUE(app.GetDriverSettings());
    const auto mode = Decode(*app.GetDriverSettings());
    ASSERT_TRUE(mode);
    EXPECT_EQ(mode->deviceName, q);
    EXPECT_EQ(mode->Option("OVColorMode"), "Photo");
    EXPECT_EQ(mode->Option("PageSize"), "Roll44x60in");
    EXPECT_EQ(mode->Option("OVPrintQuality"), "Mode2");

    app.SetSelectedPrinter("no_such_queue", "ORVEX Corvan Max 7100", "");
    app.RefreshDriverSettings();
    EXPECT_EQ(app.GetDriverSettings(), nullptr);
}

TEST_F(DriverSettingsTest, OptionsShowTheChoicesInEffect) {
    const std::string q = AddQueue(kQz);
    const auto options = DocumentProperties::ReadOptions(q, nullptr);
    ASSERT_TRUE(options);
    const auto* media = Find(*options, "MediaType");
    ASSERT_TRUE(media);
    EXPECT_EQ(media->choices.size(), 31u);
    EXPECT_EQ(media->current, "PremiumGlossy260");
    EXPECT_EQ(media->choices[1].text, "Premium Glossy Photo Paper 170");
    const auto* size = Find(*options, "PageSize");
    ASSERT_TRUE(size);
    EXPECT_TRUE(size->customSizes);
    EXPECT_TRUE(std::none_of(size->choices.begin(), size->choices.end(),
                             [](const auto& c) { return c.keyword == "Custom"; }));
    EXPECT_FALSE(Find(*options, "PageRegion"));

    // The program's block counts where the user saved nothing ...
    DeviceMode mode;
    mode.deviceName = q;
    mode.options = {{"MediaType", "ClearFilm"}, {"OVPrintQuality", "Mode3"}};
    const auto bytes = DeviceModeBlock::Encode(mode);
    const QByteArray block(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    const auto withBlock = DocumentProperties::ReadOptions(q, &block);
    ASSERT_TRUE(withBlock);
    EXPECT_EQ(Find(*withBlock, "MediaType")->current, "ClearFilm");
    // ... and what the user saved through the driver wins over it.
    ASSERT_EQ(m_library.Load(q), 1);
    ASSERT_EQ(CDriverSettingsAccess(&m_library, q, "", nullptr, &Table()).SetMediaValue(601, 2), 0);
    const auto now = DocumentProperties::ReadOptions(q, &block);
    ASSERT_TRUE(now);
    EXPECT_EQ(Find(*now, "MediaType")->current, "CanvasSatin");
    EXPECT_EQ(Find(*now, "OVPrintQuality")->current, "Mode2");
    EXPECT_FALSE(DocumentProperties::ReadOptions("no_such_queue", nullptr));
}

TEST_F(DriverSettingsTest, ApplyingChangesSavesThemAndGivesTheNewBlock) {
    const std::string q = AddQueue(kQz);
    DeviceMode start;
    start.deviceName = q;
    start.driverValues = {{"PrintFlags", "1"}};
    const auto bytes = DeviceModeBlock::Encode(start);
    const QByteArray block(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));

    const auto changed = DocumentProperties::Apply(
        q, &block, {{"MediaType", "ClearFilm"}, {"OVPrintQuality", "Mode3"}, {"PageSize", "Custom.300x500mm"}});
    ASSERT_TRUE(changed);
    const auto mode = Decode(*changed);
    ASSERT_TRUE(mode);
    EXPECT_EQ(mode->Option("MediaType"), "ClearFilm");
    EXPECT_EQ(mode->Option("PageSize"), "Custom.300x500mm");
    EXPECT_EQ(mode->Option("OVColorMode"), "Graphics");
    EXPECT_EQ(mode->DriverValue("PrintFlags"), "1");
    EXPECT_EQ(SavedOption(q, "OVPrintQuality"), "Mode3");

    ASSERT_EQ(m_library.Load(q), 1);
    CDriverSettingsAccess access(&m_library, q, "", changed->constData(), &Table());
    EXPECT_EQ(access.CurrentMediaValue(), 501);
    EXPECT_EQ(access.Item30First(), 3000);

    const DocumentProperties::Changes refused[] = {
        {{"MediaType", "NoSuchMedia"}},
        {{"NoSuchOption", "x"}},
        {{"MediaType", "CanvasSatin"}, {"PageSize", "Custom.2000x500mm"}},  // wider than 24 in
    };
    for (const auto& changes : refused) EXPECT_FALSE(DocumentProperties::Apply(q, &block, changes));
    EXPECT_EQ(SavedOption(q, "MediaType"), "ClearFilm");
    EXPECT_FALSE(DocumentProperties::Apply("no_such_queue", nullptr, {{"MediaType", "ClearFilm"}}));
}

}  // namespace

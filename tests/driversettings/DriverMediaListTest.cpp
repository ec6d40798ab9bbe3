#include "DriverSettingsFixture.h"

#include <vector>

#include "comm/CDriverMediaList.h"

namespace {

TEST_F(DriverSettingsTest, MediaListIsReadOncePerPrinterAndShared) {
    const std::string q = AddQueue(kQz);
    ASSERT_EQ(m_library.Load(q), 1);
    {
        CDriverMediaList first(&m_library, q, "");
        ASSERT_EQ(first.Count(), 31);
        EXPECT_EQ(first.GetIdAt(0), 101);
        EXPECT_EQ(first.GetNameAt(0), "Premium Glossy Photo Paper 260");
        EXPECT_EQ(first.GetIdAt(30), 903);
        EXPECT_EQ(first.GetNameById(502), "Backlight Film");
        EXPECT_EQ(first.GetNameById(4242), "");
        for (int outside : {-1, 31}) {
            EXPECT_EQ(first.GetIdAt(outside), 0);
            EXPECT_EQ(first.GetNameAt(outside), "");
        }
        std::vector<std::uint16_t> ids(31);
        EXPECT_EQ(first.CopyIds(ids.data(), 30), 0);
        EXPECT_EQ(first.CopyIds(ids.data(), 31), 1);
        EXPECT_EQ(ids[1], 104);

        // Without the library a second reading would find nothing: the
        // second list must share the first one's reading.
        m_library.Unload();
        CDriverMediaList second(&m_library, q, "");
        EXPECT_EQ(second.Count(), 31);
        EXPECT_EQ(CDriverMediaList::UserCount(), 2);
    }
    EXPECT_EQ(CDriverMediaList::UserCount(), 0);
    EXPECT_EQ(CDriverMediaList::StoredPrinter(), q);
    // The last user freed the list; the stored name keeps it from being read
    // again for the same printer.
    ASSERT_EQ(m_library.Load(q), 1);
    CDriverMediaList again(&m_library, q, "");
    EXPECT_EQ(again.Count(), 0);
    EXPECT_EQ(again.GetNameById(101), "");
}

TEST_F(DriverSettingsTest, StartUpListKeepsTheSharedListAlive) {
    const std::string q = AddQueue(kCorvan);
    ASSERT_EQ(m_library.Load(q), 1);
    CDriverMediaList wholeRun(nullptr, "", "");
    EXPECT_EQ(wholeRun.Count(), 0);
    { CDriverMediaList page(&m_library, q, ""); }
    EXPECT_EQ(wholeRun.Count(), 31);
    EXPECT_EQ(wholeRun.GetNameById(601), "Canvas Satin");
}

TEST_F(DriverSettingsTest, FailedReadingIsTriedAgainForTheSamePrinter) {
    const std::string q = AddQueue(kQz);
    CDriverMediaList withoutLibrary(&m_library, q, "");
    EXPECT_EQ(withoutLibrary.Count(), 0);
    // Even while the first list lives on, the next one reads the driver.
    ASSERT_EQ(m_library.Load(q), 1);
    CDriverMediaList loaded(&m_library, q, "");
    EXPECT_EQ(loaded.Count(), 31);
    EXPECT_EQ(withoutLibrary.GetNameById(502), "Backlight Film");
}

TEST_F(DriverSettingsTest, QueueThatCannotBeOpenedGivesAnEmptyList) {
    const std::string q = AddQueue(kQz);
    ASSERT_EQ(m_library.Load(q), 1);
    CDriverMediaList list(&m_library, "no_such_queue", "");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.GetIdAt(0), 0);
    std::uint16_t ids[4];
    EXPECT_EQ(list.CopyIds(ids, 4), 0);
}

}  // namespace

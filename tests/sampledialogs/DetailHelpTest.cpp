#include "DetailDialogFixture.h"
#include "sampleprint/CColorDensityDetailDialog.h"
#include "sampleprint/CMediaTypeDetailDialog.h"
#include "sampleprint/CPaperFeedDetailDialog.h"
#include "sampleprint/CPrintQualityDetailDialog.h"

#include <QDesktopServices>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <functional>

namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

using DetailHelpTest = DetailDialogTest;

// Help opens the manual page of the dialog for the kind of record it shows.
TEST_F(DetailHelpTest, HelpOpensTheManualOfTheDialogAndRecordKind) {
    using Make = std::function<std::unique_ptr<CSampleDetailDialog>()>;
    const struct {
        const char* manual;
        Make make;
    } cases[] = {
        {"custom-paper-media-detail.html",
         [this] { return std::make_unique<CMediaTypeDetailDialog>(Owner(), *m_app, &m_slot); }},
        {"custom-file-media-detail.html",
         [this] { return std::make_unique<CMediaTypeDetailDialog>(Owner(), *m_app, &m_file); }},
        {"custom-paper-feed-detail.html",
         [this] { return std::make_unique<CPaperFeedDetailDialog>(Owner(), *m_app, &m_slot); }},
        {"custom-file-feed-detail.html",
         [this] { return std::make_unique<CPaperFeedDetailDialog>(Owner(), *m_app, &m_file); }},
        {"custom-file-color-density-detail.html",
         [this] { return std::make_unique<CColorDensityDetailDialog>(Owner(), *m_app, &m_file); }},
        {"custom-file-print-quality-detail.html",
         [this] { return std::make_unique<CPrintQualityDetailDialog>(Owner(), *m_app, &m_file); }},
    };
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    for (const auto& c : cases) {
        catcher.urls.clear();
        std::unique_ptr<CSampleDetailDialog> dialog = c.make();
        Open(*dialog);
        QTest::mouseClick(dialog->HelpButton(), Qt::LeftButton);
        ASSERT_EQ(catcher.urls.size(), 1) << c.manual;
        EXPECT_EQ(catcher.urls[0].fileName(), c.manual);
    }
    QDesktopServices::unsetUrlHandler("file");
}

} // namespace

#include "DetailHelpTest.moc"

#include "DetailDialogFixture.h"

#include "custompaper/CMediaTable.h"
#include "maintenance/SelectedMediaDriver.h"
#include "platform/MessagePresenter.h"

#include <QTest>
#include <filesystem>
#include <fstream>
#include <set>

QApplication& EnsureApp() {
    static int argc = 1;
    static char name[] = "test_detaildialogs";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

void DetailDialogTest::SetUp() {
    EnsureApp();
    namespace fs = std::filesystem;
    fs::create_directories(m_dir.path() / "program" / "Settings");
    for (const auto& entry : fs::directory_iterator(SourcePath("settings")))
        if (entry.path().extension() == ".ini")
            fs::copy_file(entry.path(),
                          m_dir.path() / "program" / "Settings" / entry.path().filename());
    m_env.Set("PLOTCARE_CONFIG_HOME", m_dir.file("user"));
    m_env.Set("PLOTCARE_SYSTEM_CONFIG_DIR", m_dir.file("machine"));

    m_app = std::make_unique<CPlotcareApp>(QStringLiteral("Corvan Max 7100"),
                                           QString::fromStdString(m_dir.file("program")));
    m_app->SetFontDpi(96);
    CPlotcareApp::SetCurrent(m_app.get());
    m_app->SetMode(CPlotcareApp::kModeNormal);
    m_app->SetSelectedPrinter(kPrinter, QStringLiteral("ORVEX Corvan Max 7100"),
                              QStringLiteral("socket://127.0.0.1:9100"));
    MessagePresenter::SetCaptionSource([this] { return m_app->GetText(0); });
    m_shared.mediaTable = std::make_unique<CMediaTable>(m_app->SettingsFilePath("Media.ini"));
    m_shared.driverSettingsLibrary = std::make_unique<CDriverSettingsLibrary>();
    m_shared.driverSettingsLibrary->SetDriverPathFinder(
        [](const std::string&) { return FakeKrset::DriverPath(); });
    ASSERT_EQ(m_shared.driverSettingsLibrary->Load(kPrinter), 1);
    CSharedObjects::SetCurrent(&m_shared);
    m_spooler.AddPrinter(kPrinter, "socket://127.0.0.1:9100", "ORVEX Corvan Max 7100");
    m_fake.SetColorMode(256); // driver kind 1

    m_driver.media = {{501, "Clear Film"},    {201, "Plain Paper"}, {102, "Semigloss 260"},
                      {999, "Unknown Media"}, {101, "Glossy 260"},  {202, "Singleweight Matte"},
                      {301, "Proofing White"}};
    SetSelectedMediaDriverSource([this] { return std::make_unique<TestMediaDriver>(m_driver); });

    m_image = WriteSampleImage("Sample.bmp");
    CSampleDetailDialog::SetProcedureSetupHook([this](CSampleProcedure::Setup& s) {
        s.standardImagePath = m_image;
        s.readyCheck = [this] { return m_ready; };
        s.printSheet = [this](CDriverSettingsLibrary*, const SampleSheetRequest& request) {
            m_sheets.push_back(request);
            if (m_duringSheet) m_duringSheet();
            // The sheet shows in the queue at once.
            m_spooler.SetJobs(
                kPrinter,
                {SpoolerJob{static_cast<int>(m_sheets.size()),
                            request.labels.at(static_cast<std::size_t>(request.highlightIndex)),
                            "op", SpoolerJobState::Pending}});
            return 0;
        };
    });

    m_owner = std::make_unique<QWidget>();
    m_owner->setGeometry(100, 80, 800, 600);
    m_owner->show();
}

void DetailDialogTest::TearDown() {
    m_owner.reset();
    CSampleDetailDialog::SetProcedureSetupHook(nullptr);
    SetSelectedMediaDriverSource(nullptr);
    MessagePresenter::SetCaptionSource(nullptr);
    CSharedObjects::SetCurrent(nullptr);
    CPlotcareApp::SetCurrent(nullptr);
    m_app.reset();
    m_env.Restore();
}

void DetailDialogTest::Open(QDialog& dialog) {
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QApplication::processEvents();
}

std::vector<std::string> DetailDialogTest::Titles() const {
    std::vector<std::string> titles;
    for (const SampleSheetRequest& r : m_sheets)
        titles.push_back(r.labels.at(static_cast<std::size_t>(r.highlightIndex)));
    return titles;
}

void DetailDialogTest::ClickBox(QWidget* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

std::vector<QWidget*> DetailDialogTest::TabChain(QDialog& dialog) {
    std::vector<QWidget*> chain;
    QWidget* first = dialog.nextInFocusChain();
    while (first != &dialog &&
           !(first->isEnabled() && first->isVisible() && (first->focusPolicy() & Qt::TabFocus)))
        first = first->nextInFocusChain();
    first->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 40; ++i) {
        QWidget* now = QApplication::focusWidget();
        if (!now || (!chain.empty() && now == chain.front())) break;
        chain.push_back(now);
        QTest::keyClick(now, Qt::Key_Tab);
    }
    return chain;
}

std::string DetailDialogTest::WriteSampleImage(const std::string& name) {
    std::uint8_t h[54] = {'B', 'M'};
    auto put = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put(10, 54);
    put(14, 40);
    put(18, 4060);
    put(22, 1190);
    h[26] = 1;
    h[28] = 24;
    const std::string path = m_dir.file(name);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(h), sizeof h);
    }
    // Sparse: a full-size image costs no disk.
    std::filesystem::resize_file(path, 54 + 1190ULL * ((4060 * 3 + 3) / 4) * 4);
    return path;
}

#pragma once

#include "custompaper/MediaTypeList.h"
#include "sampleprint/CSampleProcedure.h"
#include "sampleprint/SamplePlans.h"

#include <QDialog>
#include <functional>
#include <memory>

class CPlotcareApp;
class CSampleImageChoice;
class QLabel;
class QPushButton;
struct ControlRow;

// What the four detail dialogs of the sample prints share: the caption and
// fixed size, centred over the opener; the sample image choice read from
// the settings for the record's kind; Sample Print, help and Close; and the
// run of the sample print procedure with the plan the dialog builds, its
// outcome shown as a message box. The record is read, never changed.
//
// While a sample runs the dialog keeps painting but takes no input: the
// procedure waits for the printer and the queue through the clock, which
// dispatches the window system's messages.
class CSampleDetailDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kSampleButton = 1145;
    static constexpr int kHelpButton = 1003;
    static constexpr int kCloseButton = 2;
    static constexpr int kTextCaption = 0; // message boxes' caption

    ~CSampleDetailDialog() override;

    // Lets tests and reviews change how the procedure is set up (its sheet
    // printer, its readiness check) before each run; empty restores the
    // default. Process-wide.
    using SetupHook = std::function<void(CSampleProcedure::Setup&)>;
    static void SetProcedureSetupHook(SetupHook hook);

    // The plan Sample Print would run now.
    virtual SamplePlan BuildPlan() const = 0;
    // What the Sample Print button does; the procedure's outcome.
    CSampleProcedure::Outcome RunSamplePrint();
    bool IsSampleRunning() const { return m_running; }

    const SampleRecord& Record() const { return m_record; }
    CSampleImageChoice* ImageChoiceControls() const { return m_imageChoice; }
    QPushButton* SampleButton() const { return m_sampleButton; }
    QPushButton* HelpButton() const { return m_helpButton; }
    QPushButton* CloseButton() const { return m_closeButton; }

protected:
    // `size` is the window's fixed size; help opens the manual's page and
    // topic for the record's kind.
    struct Form {
        SampleDialog dialog;
        int captionText;
        QSize size;
        int slotHelpPage, slotHelpTopic;
        int fileHelpPage, fileHelpTopic;
    };
    CSampleDetailDialog(QWidget* parent, CPlotcareApp& app, const SampleRecord& record, const Form& form);

    // Creates Sample Print, the image choice, help and Close, in this focus
    // order; a dialog creates its own controls before.
    void CreateCommonControls();
    // Places every control by the table, gives fonts and texts, reads the
    // image choice and names the common controls.
    void ApplyForm(const ControlRow* rows, int count);

    // A plain-text label with that id.
    QLabel* AddLabel(int id, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);

    CPlotcareApp& App() const { return m_app; }
    TextLookup Texts() const;
    // Media names from the printer driver's list.
    MediaNameLookup MediaNames() const;
    // The driver's media ids and names, in its order, read at opening.
    const MediaTypeList::DriverMedia& DriverMedia() const { return m_driverMedia; }

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OpenHelp();
    void CentreOverOwner();

    CPlotcareApp& m_app;
    SampleRecord m_record;
    Form m_form;
    MediaTypeList::DriverMedia m_driverMedia;
    CSampleImageChoice* m_imageChoice = nullptr;
    QPushButton* m_sampleButton = nullptr;
    QPushButton* m_helpButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    bool m_running = false;
};

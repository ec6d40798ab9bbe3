#pragma once

#include "sampleprint/SamplePlans.h"

#include <QObject>
#include <QString>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

// The sample image choice every detail dialog shows: a group box with the
// "Standard Image" and "User Defined image" radio buttons, a label with the
// file name of the user-defined image and a Browse button. The controls are
// the dialog's own children (ids 1155, 1151, 1152, 1153, 1001), placed by
// its control table; this object keeps them consistent.
class CSampleImageChoice : public QObject {
    Q_OBJECT
public:
    static constexpr int kGroupBox = 1155;
    static constexpr int kStandardRadio = ImageChoice::kStandard;
    static constexpr int kUserRadio = ImageChoice::kUserDefined;
    static constexpr int kFileLabel = 1153;
    static constexpr int kBrowseButton = 1001;
    // How Browse filters the files it offers.
    static constexpr const char* kBitmapFilter = "Bitmap File(*.BMP)|*.BMP||";

    // Creates the controls in focus order (radios, then Browse).
    explicit CSampleImageChoice(QWidget* dialog);

    // Selects the choice's radio (none for 0) and shows its path.
    void Show(const ImageChoice& choice);
    // The selected radio (0 for none) and the user-defined path.
    ImageChoice Choice() const;

    // The name shown for a path: what follows its last "/"; nothing when
    // the path has no folder part.
    static QString FileNamePart(const QString& path);

    // Opens the file dialog; a chosen file becomes the user-defined image.
    void Browse();

    QGroupBox* Group() const { return m_group; }
    QRadioButton* StandardRadio() const { return m_standard; }
    QRadioButton* UserRadio() const { return m_user; }
    QLabel* FileLabel() const { return m_fileLabel; }
    QPushButton* BrowseButton() const { return m_browse; }

    // Names the controls for assistive technology once their texts are set.
    void NameControls();

private:
    void EnableUserControls();

    QWidget* m_dialog;
    QGroupBox* m_group;
    QRadioButton* m_standard;
    QRadioButton* m_user;
    QButtonGroup* m_radios;
    QLabel* m_fileLabel;
    QPushButton* m_browse;
    QString m_userPath;
};

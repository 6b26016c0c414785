#pragma once
// The Options dialog: the thumbnail size and padding and whether to empty the wallpaper cache
// on exit, the settings of the product application object.

#include "FBaseDialog.h"

class QCheckBox;
class QLabel;
class TSpinEdit;

class TOptionsForm : public TLXBaseDialog {
    Q_OBJECT
public:
    // The dialog, hidden, with the fields' limits, steps and lengths set; Execute runs it.
    explicit TOptionsForm(QWidget* owner = nullptr);

    QLabel* Label1;
    QLabel* Label2;
    TSpinEdit* edThumbSize;
    TSpinEdit* edThumbPadding;
    QCheckBox* chkFlushOnExit;

protected:
    // Shows VelloriaApp's thumbnail size, padding (each cropped to its field's limits) and
    // clean-up choice.
    void LoadData() override;
    // Hands the size, then the padding to VelloriaApp's setters (which ignore values beyond
    // their ranges), then stores the clean-up choice.
    void SaveData() override;

private:
    void FormCreate();
};

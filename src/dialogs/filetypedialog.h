#pragma once

#include "platform/toolwindow.h"
#include "platform/twips.h"

#include <vector>

class FileTypeTable;
struct FileTypeChoice;
class QCheckBox;
class QPushButton;

// How one file-type dialog is laid out.
struct FileTypeDialogDesign {
    struct Control {
        twips::Rect rect;
        int tabIndex;
    };
    QString objectName;
    QString caption;
    double clientWidth;
    double clientHeight;
    std::vector<Control> checks; // by table index
    QString okCaption;
    Control ok;
    Control cancel;

    static const FileTypeDialogDesign& media();    // Form3
    static const FileTypeDialogDesign& pictures(); // Form5
};

// Form3 and Form5: check boxes over a file-type table's live selection,
// OK to store it and Cancel (or the close box) to drop it. Modeless.
// Below the documented layout, a group "その他の形式" holds the other
// formats' boxes, stored by the same OK.
class FileTypeDialog : public ToolWindow {
    Q_OBJECT
public:
    FileTypeDialog(FileTypeChoice tables, const FileTypeDialogDesign& design);

    QCheckBox* Check(int index) const { return checks_[index]; }
    QCheckBox* otherCheck(int index) const { return otherChecks_[index]; }
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

public slots:
    void Command1_Click();
    void Command2_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void setTabOrder(const FileTypeDialogDesign& design);
    void addOtherTypes(const FileTypeDialogDesign& design);

    FileTypeTable& table_;
    FileTypeTable& others_;
    std::vector<QCheckBox*> checks_;
    std::vector<QCheckBox*> otherChecks_;
};

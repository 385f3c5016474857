#include "dialogs/filetypedialog.h"

#include "settings/filetypetable.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <map>

namespace {
// The font size the designed places of the boxes hold.
constexpr double kDesignPointSize = 9;
} // namespace

const FileTypeDialogDesign& FileTypeDialogDesign::media()
{
    static const FileTypeDialogDesign design{
        QStringLiteral("Form3"),
        QStringLiteral("ファイル選択"),
        2550,
        3660,
        {
            {{120, 240, 975, 375}, 9},     // *.avi
            {{120, 720, 1215, 375}, 10},   // *.ra
            {{120, 1200, 1095, 375}, 0},   // *.ram
            {{120, 1680, 1095, 375}, 1},   // *.mpg
            {{120, 2160, 1095, 375}, 2},   // *.mpeg
            {{1320, 240, 1095, 375}, 3},   // *.qt
            {{1320, 720, 1095, 375}, 4},   // *.mov
            {{1320, 1200, 1095, 375}, 5},  // *.dat
            {{1320, 1680, 1215, 375}, 6},  // *.wave
            {{1320, 2160, 1095, 375}, 11}, // *.mp3
            {{120, 2760, 855, 255}, 12},   // *.rm
        },
        QStringLiteral("ＯＫ"),
        {{120, 3120, 975, 375}, 7},
        {{1320, 3120, 975, 375}, 8},
    };
    return design;
}

const FileTypeDialogDesign& FileTypeDialogDesign::pictures()
{
    static const FileTypeDialogDesign design{
        QStringLiteral("Form5"),
        QStringLiteral("スライドショー"),
        2325,
        2445,
        {
            {{240, 240, 1695, 375}, 1},  // *.jpg
            {{240, 840, 1695, 255}, 0},  // *.bmp
            {{240, 1440, 1695, 255}, 2}, // *.gif
        },
        QStringLiteral("OK"),
        {{0, 1920, 1095, 495}, 3},
        {{1200, 1920, 1095, 495}, 4},
    };
    return design;
}

FileTypeDialog::FileTypeDialog(FileTypeChoice tables, const FileTypeDialogDesign& design)
    : ToolWindow(nullptr), table_(tables.types), others_(tables.others)
{
    FileTypeTable& table = table_;
    // The boxes stand where the design puts them, sized for a 9-point
    // font: a larger desktop font would cut their captions.
    QFont designed = font();
    if (designed.pointSizeF() > kDesignPointSize)
        designed.setPointSizeF(kDesignPointSize);
    setFont(designed);
    setObjectName(design.objectName);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(design.caption);
    resize(twips::toPixelSize(design.clientWidth, design.clientHeight));
    for (int i = 0; i < int(design.checks.size()); ++i) {
        auto* box = new QCheckBox(table.entry(i).Pattern, this);
        box->setObjectName(QStringLiteral("Check(%1)").arg(i));
        box->setGeometry(twips::toPixelRect(design.checks[i].rect));
        connect(box, &QCheckBox::toggled, this, [this, i](bool on) { table_.setChecked(i, on); });
        checks_.push_back(box);
    }
    const auto makeButton = [this](const QString& name, const QString& caption, const twips::Rect& rect) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(name);
        button->setGeometry(twips::toPixelRect(rect));
        button->setAutoDefault(true); // Enter presses the focused button, and only that
        return button;
    };
    okButton = makeButton(QStringLiteral("Command1"), design.okCaption, design.ok.rect);
    cancelButton = makeButton(QStringLiteral("Command2"), QStringLiteral("Cancel"), design.cancel.rect);
    connect(okButton, &QPushButton::clicked, this, &FileTypeDialog::Command1_Click);
    connect(cancelButton, &QPushButton::clicked, this, &FileTypeDialog::Command2_Click);
    addOtherTypes(design);
    setTabOrder(design);
    Form_Load();
}

void FileTypeDialog::addOtherTypes(const FileTypeDialogDesign& design)
{
    const int margin = twips::toPixels(120);
    auto* group = new QGroupBox(QStringLiteral("その他の形式"), this);
    group->setObjectName(QStringLiteral("OtherTypes"));
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(margin / 2, margin / 2, margin / 2, margin / 2);
    grid->setHorizontalSpacing(margin / 2);
    for (int i = 0; i < others_.count(); ++i) {
        auto* box = new QCheckBox(others_.entry(i).Pattern, group);
        box->setObjectName(QStringLiteral("OtherCheck(%1)").arg(i));
        grid->addWidget(box, i / 2, i % 2);
        connect(box, &QCheckBox::toggled, this, [this, i](bool on) { others_.setChecked(i, on); });
        otherChecks_.push_back(box);
    }
    // Below the designed area, as wide as it, as tall as its boxes need.
    const int width = twips::toPixels(design.clientWidth) - 2 * margin;
    group->setGeometry(margin, twips::toPixels(design.clientHeight), width, group->sizeHint().height());
    resize(this->width(), group->geometry().bottom() + margin);
}

void FileTypeDialog::Form_Load()
{
    for (auto [table, boxes] : {std::pair{&table_, &checks_}, std::pair{&others_, &otherChecks_}}) {
        if (!table->isLive())
            table->LoadTypes();
        for (int i = 0; i < int(boxes->size()); ++i) {
            const QSignalBlocker quiet((*boxes)[i]);
            (*boxes)[i]->setChecked(table->checked(i));
        }
    }
}

void FileTypeDialog::setTabOrder(const FileTypeDialogDesign& design)
{
    std::map<int, QWidget*> byTabIndex;
    for (int i = 0; i < int(checks_.size()); ++i)
        byTabIndex[design.checks[i].tabIndex] = checks_[i];
    byTabIndex[design.ok.tabIndex] = okButton;
    byTabIndex[design.cancel.tabIndex] = cancelButton;
    std::vector<QWidget*> order;
    for (const auto& [index, widget] : byTabIndex)
        order.push_back(widget);
    order.insert(order.end(), otherChecks_.begin(), otherChecks_.end()); // the other formats last
    for (size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    byTabIndex.begin()->second->setFocus();
}

void FileTypeDialog::Command1_Click()
{
    table_.SaveTypes();
    others_.SaveTypes();
    close();
}

void FileTypeDialog::Command2_Click()
{
    close();
}

void FileTypeDialog::closeEvent(QCloseEvent* event)
{
    table_.DiscardTypes();
    others_.DiscardTypes();
    event->accept();
}

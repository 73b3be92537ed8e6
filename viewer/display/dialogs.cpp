#include "viewer/display/dialogs.h"

#include <algorithm>

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QScreen>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/gui/centre_on_owner.h"
#include "platform/gui/japanese_texts.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/preference_files.h"
#include "viewer/display/dialog_rules.h"
#include "viewer/display/recording_commands.h"
#include "viewer/display/lap_list_sectors.h"

namespace {

int runModal(QDialog& dialog) {
    platform::centreOnOwnerWhenShown(&dialog);
    return dialog.exec();
}

QString q(const std::string& text) { return QString::fromStdString(text); }

// The dialogs' font: the Japanese dialog font at 9 points.
QFont dialogFont() { return platform::japaneseDialogFont(9); }

// The lap list closes only through its OK button: no close box, Esc ignored.
class LapListDialog : public QDialog {
public:
    using QDialog::QDialog;
    void reject() override {}
};

}  // namespace

int chooseFile(QWidget* owner, std::string& path, bool forOpen) {
    static bool firstDialog = true;
    const FileDialogTexts texts = fileDialogTexts(forOpen, driveModel.course, driveModel.currentLap);
    QFileDialog dialog(owner, q(texts.title));
    // Qt's own dialog: the OK text and the centring need it.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(forOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(forOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !texts.confirmOverwrite);
    // Other loggers' recordings follow the drive log's own filter.
    dialog.setNameFilter(q(forOpen ? texts.filter + ";;" + RECORDING_OPEN_FILTERS : texts.filter));
    dialog.setDefaultSuffix(q(texts.defaultSuffix));
    dialog.setLabelText(QFileDialog::Accept, q(texts.okText));
    dialog.setSizeGripEnabled(true);
    if (firstDialog) dialog.setDirectory(QStringLiteral("./"));
    if (!texts.proposedName.empty()) dialog.selectFile(q(texts.proposedName));
    if (runModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return 1;
    firstDialog = false;
    path = dialog.selectedFiles().first().toStdString();
    return 0;
}

bool chooseColour(QWidget* owner, const char* title, Colour& colour) {
    const ColourBytes start = colourToBytes(colour);
    QColorDialog dialog(QColor(start.r, start.g, start.b), owner);
    dialog.setOption(QColorDialog::DontUseNativeDialog, true);
    dialog.setWindowTitle(QString::fromUtf8(title));
    if (runModal(dialog) != QDialog::Accepted) return false;
    const QColor chosen = dialog.currentColor();
    colour = bytesToColour({static_cast<uint8_t>(chosen.red()), static_cast<uint8_t>(chosen.green()),
                            static_cast<uint8_t>(chosen.blue())});
    return true;
}

void showAbout(QWidget* owner) {
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf8(ABOUT_TITLE));
    auto* icon = new QLabel(&dialog);
    const QIcon programIcon = owner ? owner->windowIcon() : QIcon();
    if (!programIcon.isNull()) icon->setPixmap(programIcon.pixmap(32, 32));
    auto* text = new QLabel(QString::fromUtf8(ABOUT_TEXT), &dialog);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(row);
    layout->addWidget(buttons);
    runModal(dialog);
}

bool showWeightDialog(QWidget* owner) {
    QDialog dialog(owner);
    dialog.setFont(dialogFont());
    dialog.setWindowTitle(QString::fromUtf8(WEIGHT_TITLE));
    auto* label = new QLabel(QString::fromUtf8(WEIGHT_LABEL), &dialog);
    auto* edit = new QLineEdit(q(weightText(viewState.vehicleWeightKg)), &dialog);
    edit->setObjectName(QStringLiteral("weight"));
    edit->setMaxLength(WEIGHT_TEXT_LIMIT);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(edit, 1);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(row);
    layout->addWidget(buttons);
    if (runModal(dialog) != QDialog::Accepted) return false;
    applyWeightText(edit->text().toStdString(), viewState.vehicleWeightKg);
    if (owner) owner->setFocus();
    return true;
}

int showLapList(QWidget* owner) {
    LapListDialog dialog(owner);
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dialog.setWindowTitle(q(lapListCaption(driveModel)));
    dialog.setFont(dialogFont());
    const QFontMetrics metrics(dialog.font());

    auto* table = new QTableWidget(&dialog);
    table->setObjectName(QStringLiteral("laps"));
    table->setColumnCount(LAP_LIST_COLUMNS);
    QStringList headers;
    for (const std::string& title : lapListTitles()) headers << q(title);
    table->setHorizontalHeaderLabels(headers);
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table->verticalHeader()->hide();
    table->setShowGrid(true);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int c = 0; c < LAP_LIST_COLUMNS; ++c) table->setColumnWidth(c, lapListColumnWidths()[static_cast<size_t>(c)]);
    const auto rows = lapListRows(driveModel);
    table->setRowCount(static_cast<int>(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < LAP_LIST_COLUMNS; ++c) {
            auto* cell = new QTableWidgetItem(q(rows[r][static_cast<size_t>(c)]));
            cell->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            table->setItem(static_cast<int>(r), c, cell);
        }
    }
    table->verticalHeader()->setDefaultSectionSize(metrics.height() + 4);
    // The classic widths are the least: a column grows to its widest text
    // rather than cutting a lap time short.
    int tableWidth = 2 * table->frameWidth();
    for (int c = 0; c < LAP_LIST_COLUMNS; ++c) {
        table->resizeColumnToContents(c);
        const int width = std::max(table->columnWidth(c), lapListColumnWidths()[static_cast<size_t>(c)]);
        table->setColumnWidth(c, width);
        tableWidth += width;
    }
    tableWidth += addSectorColumns(table, driveModel);
    // 354 x 155 dialog units, wider when the columns need it (and the screen allows).
    const int screenWidth = dialog.screen() ? dialog.screen()->availableGeometry().width() : tableWidth;
    dialog.resize(std::min(std::max(dialogUnitsX(354, metrics.averageCharWidth()), tableWidth + 4), screenWidth),
                  dialogUnitsY(155, metrics.height()));

    // The list fills the client area but a 40-pixel strip at the bottom, where OK sits.
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* strip = new QHBoxLayout;
    strip->addStretch(1);
    strip->addWidget(ok);
    strip->addStretch(1);
    auto* stripHolder = new QWidget(&dialog);
    stripHolder->setFixedHeight(40);
    stripHolder->setLayout(strip);
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(table, 1);
    layout->addWidget(stripHolder);
    runModal(dialog);
    if (owner) owner->setFocus();
    return 0;
}

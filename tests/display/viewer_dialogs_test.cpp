// The viewer's modal dialogs as a user meets them (offscreen): what the lap
// list shows, that only its OK button closes it, and what the weight dialog
// keeps of a typed weight.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/sample_drive.h"
#include "tests/support/temp_dir.h"
#include "viewer/analysis/analysis_state.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/display/dialog_rules.h"
#include "viewer/display/dialogs.h"

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libfreetype\nleak:libQt6Gui\nleak:libdbus\n";
}

namespace {

QApplication& app() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "viewer_dialogs_test";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);  // kept to exit, as Qt's statics need
    return *a;
}

// Runs `inspect` on the modal dialog once it is up (the dialog's own loop is running).
void whenModal(std::function<void(QWidget*)> inspect) {
    QTimer::singleShot(0, [inspect] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) {
            ADD_FAILURE() << "no modal dialog";
            return;
        }
        inspect(dialog);
    });
}

class ViewerDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        app();
        resetDriveModel();
        resetAnalysisState();
        viewState = ViewState{};
    }
    void TearDown() override { resetDriveModel(); }
    void loadSample(int laps) { ASSERT_EQ(loadDriveLog(writeSampleLog(dir / "sample.gpd", tianmaLog(laps))), LOAD_OK); }
    TempDir dir;
};

TEST_F(ViewerDialogs, LapListShowsNineTitledColumnsSectorsAndTheTheoreticalBestAndClosesOnlyByOk) {
    loadSample(2);
    bool inspected = false;
    whenModal([&](QWidget* dialog) {
        inspected = true;
        EXPECT_EQ(dialog->windowTitle(), QString::fromStdString(lapListCaption(driveModel)));
        auto* table = dialog->findChild<QTableWidget*>("laps");
        ASSERT_NE(table, nullptr);
        // The nine columns of the lap figures, then three sectors; the laps, then the theoretical best.
        ASSERT_EQ(table->columnCount(), LAP_LIST_COLUMNS + 3);
        ASSERT_EQ(table->rowCount(), 2 + 1);
        EXPECT_EQ(table->horizontalHeaderItem(LAP_LIST_COLUMNS)->text(), "セクター1");
        EXPECT_EQ(table->item(2, 0)->text(), "理論ベスト");
        for (int c = 0; c < table->columnCount(); ++c) {
            for (int r = 0; r < 3; ++r) {
                const QTableWidgetItem* item = table->item(r, c);
                if (!item) continue;
                const QFont font = item->data(Qt::FontRole).isValid() ? item->font() : table->font();
                EXPECT_LT(QFontMetrics(font).horizontalAdvance(item->text()), table->columnWidth(c)) << r << "," << c;
            }
        }
        const auto rows = lapListRows(driveModel);
        for (int c = 0; c < LAP_LIST_COLUMNS; ++c) {
            EXPECT_EQ(table->horizontalHeaderItem(c)->text(), QString::fromStdString(lapListTitles()[static_cast<size_t>(c)]));
            EXPECT_GE(table->columnWidth(c), lapListColumnWidths()[static_cast<size_t>(c)]) << c;
            // Wide enough that no lap time or figure is cut short.
            const QFontMetrics metrics(table->font());
            for (int r = 0; r < 2; ++r) {
                EXPECT_EQ(table->item(r, c)->text(), QString::fromStdString(rows[static_cast<size_t>(r)][static_cast<size_t>(c)]));
                EXPECT_LT(metrics.horizontalAdvance(table->item(r, c)->text()), table->columnWidth(c)) << r << "," << c;
            }
        }
        // Escape does not close it; OK does.
        QTest::keyClick(dialog, Qt::Key_Escape);
        EXPECT_TRUE(dialog->isVisible());
        QPushButton* ok = nullptr;
        for (QPushButton* b : dialog->findChildren<QPushButton*>())
            if (b->text() == "OK") ok = b;
        ASSERT_NE(ok, nullptr);
        ok->click();
    });
    showLapList(nullptr);
    EXPECT_TRUE(inspected);
}

TEST_F(ViewerDialogs, WeightDialogKeepsOnlyAPositiveNumberAndCancelChangesNothing) {
    auto answer = [](const char* text, bool ok) {
        whenModal([text, ok](QWidget* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>("weight");
            ASSERT_NE(edit, nullptr);
            edit->setText(QString::fromUtf8(text));
            auto* box = dialog->findChild<QDialogButtonBox*>();
            ASSERT_NE(box, nullptr);
            box->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        });
    };
    viewState.vehicleWeightKg = 1567.0;
    whenModal([](QWidget* dialog) {
        EXPECT_EQ(dialog->findChild<QLineEdit*>("weight")->text(), "1567.0");
        EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8(WEIGHT_TITLE));
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_FALSE(showWeightDialog(nullptr));
    answer("1800.5", true);
    EXPECT_TRUE(showWeightDialog(nullptr));
    EXPECT_DOUBLE_EQ(viewState.vehicleWeightKg, 1800.5);
    answer("重い", true);
    showWeightDialog(nullptr);
    EXPECT_DOUBLE_EQ(viewState.vehicleWeightKg, 1800.5);
    answer("-3", true);
    showWeightDialog(nullptr);
    EXPECT_DOUBLE_EQ(viewState.vehicleWeightKg, 1800.5);
    answer("900", false);
    EXPECT_FALSE(showWeightDialog(nullptr));
    EXPECT_DOUBLE_EQ(viewState.vehicleWeightKg, 1800.5);
}

// An owner at the screen's left or right edge: every dialog, centred over it,
// is moved just inside the screen (the lap list is wider than the window).
TEST_F(ViewerDialogs, EveryDialogStaysOnTheScreenWithItsOwnerAtEitherEdge) {
    loadSample(2);
    QWidget owner;
    owner.resize(640, 480);
    owner.show();
    const QRect area = owner.screen()->availableGeometry();
    const std::vector<std::pair<const char*, std::function<void()>>> dialogs = {
        {"lap list", [&] { showLapList(&owner); }},
        {"weight", [&] { showWeightDialog(&owner); }},
        {"colour", [&] { Colour c{}; chooseColour(&owner, "色", c); }},
        {"file", [&] { std::string path; chooseFile(&owner, path, true); }},
        {"about", [&] { showAbout(&owner); }},
    };
    for (const int ownerX : {0, area.right() + 1 - 640}) {
        owner.move(ownerX, 0);
        QApplication::processEvents();
        for (const auto& [name, open] : dialogs) {
            QRect shown;
            whenModal([&shown](QWidget* dialog) {
                shown = dialog->frameGeometry();
                static_cast<QDialog*>(dialog)->done(QDialog::Rejected);
            });
            open();
            SCOPED_TRACE(std::string(name) + " over an owner at x " + std::to_string(ownerX));
            ASSERT_FALSE(shown.isEmpty());
            EXPECT_GE(shown.left(), area.left());
            EXPECT_GE(shown.top(), area.top());
            EXPECT_TRUE(shown.right() <= area.right() || shown.width() > area.width()) << shown.right();
            EXPECT_TRUE(shown.bottom() <= area.bottom() || shown.height() > area.height()) << shown.bottom();
        }
    }
}

}  // namespace
